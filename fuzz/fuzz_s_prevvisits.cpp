// A visitor's earlier visits.
#include "FuzzText.h"
#include "messages/S_PREVVISITS.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_PREVVISITS, Fuzz::textOf(data, size));
    const Messages::S_PREVVISITS visits(message);
    Fuzz::check(visits.site().find(':') == wxString::npos, "site holds no colon");
    return 0;
}
