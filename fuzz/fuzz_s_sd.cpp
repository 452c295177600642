// One site's details with its alerts.
#include "FuzzText.h"
#include "messages/S_SD.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_SD, Fuzz::textOf(data, size));
    const Messages::S_SD site(message);
    for (const Types::Alert& alert : site.alerts()) {
        Fuzz::check(!alert.hasColour || alert.colour > 0, "colour only when positive");
        Fuzz::check(alert.alertId.empty() || !alert.iconFileName.empty(),
                    "parsed alert has a flag");
    }
    return 0;
}
