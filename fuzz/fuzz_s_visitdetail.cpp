// The detail of one visit with its pages.
#include "FuzzText.h"
#include "messages/S_VISITDETAIL.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_VISITDETAIL, Fuzz::textOf(data, size));
    const Messages::S_VISITDETAIL detail(message);
    Fuzz::check(detail.site().find(':') == wxString::npos, "site holds no colon");
    Fuzz::check(detail.keywords().length() <= detail.referrerTail().length(),
                "keywords come from the referrer");
    return 0;
}
