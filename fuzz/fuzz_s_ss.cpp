// One site's settings: header line, then "Name=value" lines.
#include "FuzzText.h"
#include "messages/S_SS.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_SS, Fuzz::textOf(data, size));
    Messages::S_SS settings(message);
    for (const auto& [number, value] : settings.values()) {
        Fuzz::check(number >= 0 && number <= 15, "setting numbers come from the table");
    }
    settings.textValue(3);
    settings.intValue(9);
    settings.boolValue(8);
    Fuzz::check(
        settings.values().count(3) && settings.values().count(9) && settings.values().count(8),
        "reads enter the numbers they read");
    return 0;
}
