// A notification: kind letter field, TAB, text.
#include "FuzzText.h"
#include "messages/S_PopupMessage.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_POPUP, Fuzz::textOf(data, size));
    const Messages::S_PopupMessage popup(message);
    Fuzz::check(popup.kind() >= 0 && popup.kind() <= 4, "kind in range");
    return 0;
}
