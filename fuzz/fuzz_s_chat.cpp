// A chat request: three fields separated by ":".
#include "FuzzText.h"
#include "messages/S_CHAT.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_CHAT, Fuzz::textOf(data, size));
    const Messages::S_CHAT chat(message);
    Fuzz::check(chat.domain().find(':') == wxString::npos, "domain holds no colon");
    return 0;
}
