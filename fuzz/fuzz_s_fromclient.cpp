// A text from another operator, and a chat hand-over offer in it.
#include "FuzzText.h"
#include "messages/S_CHATTRANSFER.h"
#include "messages/S_FROMCLIENT.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_FROMCLIENT, Fuzz::textOf(data, size));
    const Messages::S_FROMCLIENT from(message);
    const Messages::S_CHATTRANSFER transfer(from);
    Fuzz::check(transfer.from() == from.from(), "sender copied");
    Fuzz::check(transfer.note().find('~') == wxString::npos, "note holds no ~");
    return 0;
}
