#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {
namespace {

constexpr wchar_t kStx = 0x02;

int hexValue(wxUniChar c) {
    const auto v = c.GetValue();
    if (v >= '0' && v <= '9')
        return static_cast<int>(v - '0');
    if (v >= 'a' && v <= 'f')
        return static_cast<int>(v - 'a' + 10);
    if (v >= 'A' && v <= 'F')
        return static_cast<int>(v - 'A' + 10);
    return -1;
}

}  // namespace

TavoroMessage::TavoroMessage() : m_kind(MK_EMPTY) {}

TavoroMessage::TavoroMessage(MessageKind kind, const wxString& data)
    : m_command(commandOfKind(kind)), m_data(data), m_kind(kind) {}

TavoroMessage::TavoroMessage(const wxString& received) {
    wxString text = received;
    parse(text);
}

TavoroMessage TavoroMessage::taking(wxString& received) {
    TavoroMessage message;
    message.parse(received);
    return message;
}

void TavoroMessage::parse(wxString& text) {
    if (!text.empty() && text[0] == kStx) {
        text = decodeHexForm(text.Mid(1));
    }
    const size_t colon = text.find(':');
    if (colon == wxString::npos) {
        m_command.swap(text);
    } else {
        // The data keeps the received text's storage: no second copy of a long frame.
        m_command = text.Left(colon);
        text.erase(0, colon + 1);
        m_data.swap(text);
    }
    m_kind = kindOfCommand(m_command);
}

wxString TavoroMessage::toText() const {
    return m_command + ":" + m_data;
}

wxString TavoroMessage::decodeHexForm(const wxString& hexDigits) {
    const size_t n = hexDigits.length();
    // The value of the group at pos: its leading hex digits; a group with none reads as 0.
    const auto groupAt = [&](size_t pos) {
        unsigned value = 0;
        for (size_t i = pos; i < pos + 4 && i < n; ++i) {
            const int digit = hexValue(hexDigits[i]);
            if (digit < 0)
                break;
            value = value * 16 + static_cast<unsigned>(digit);
        }
        return value;
    };
    const auto isHigh = [](unsigned v) { return v >= 0xD800 && v <= 0xDBFF; };
    const auto isLow = [](unsigned v) { return v >= 0xDC00 && v <= 0xDFFF; };

    wxString out;
    out.reserve(n / 4 + 1);
    for (size_t pos = 0; pos < n; pos += 4) {
        unsigned value = groupAt(pos);
        // Characters beyond U+FFFF arrive as two groups, a UTF-16 surrogate pair: they make
        // one character here. A surrogate without its partner is not a character at all and
        // would turn into invalid UTF-8 on the way to the screen; it reads as U+FFFD.
        if (isHigh(value) && pos + 4 < n && isLow(groupAt(pos + 4))) {
            value = 0x10000 + ((value - 0xD800) << 10) + (groupAt(pos + 4) - 0xDC00);
            pos += 4;
        } else if (isHigh(value) || isLow(value)) {
            value = 0xFFFD;
        }
        out += wxUniChar(value);
    }
    return out;
}

}  // namespace Tavoro::Messages
