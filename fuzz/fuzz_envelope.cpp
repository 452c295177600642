// The message envelope: plain "command:data" texts and the STX hexadecimal form.
#include "FuzzText.h"
#include "messages/MessageKind.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const wxString text = Fuzz::textOf(data, size);
    const Messages::TavoroMessage message(text);
    Fuzz::check(message.kind() == Messages::kindOfCommand(message.command()),
                "kind follows the command");
    if (!text.empty() && text[0] == wxUniChar(2)) {
        // Four hex digits per character: the decoded text is never longer than that allows.
        Fuzz::check(message.toText().length() <= (text.length() - 1 + 3) / 4 + 1,
                    "decoded text bounded by the digits");
    } else {
        Fuzz::check(message.command().find(':') == wxString::npos, "command holds no colon");
        const wxString expected = text.find(':') == wxString::npos ? text + ":" : text;
        Fuzz::check(message.toText() == expected, "plain text comes back unchanged");
    }
    return 0;
}
