// A visitor's chat line: chat identifier, LF, text.
#include "FuzzText.h"
#include "messages/S_MESSAGE.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_MESSAGE, Fuzz::textOf(data, size));
    const Messages::S_MESSAGE line(message);
    Fuzz::check(line.text().find('\n') == wxString::npos, "text holds no LF");
    return 0;
}
