// A notification: kind letter field, TAB, text.
#include "FuzzText.h"
#include "messages/S_PopupMessage.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_POPUP, Fuzz::textOf(data, size));
    const Messages::S_PopupMessage popup(message);
    Fuzz::check(popup.kind() >= Messages::S_PopupMessage::POPUP_NONE &&
                    popup.kind() <= Messages::S_PopupMessage::POPUP_NEW_EXCEPTION,
                "kind in range");
    return 0;
}
