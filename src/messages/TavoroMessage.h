#pragma once

#include <wx/string.h>

#include "messages/MessageKind.h"

namespace Tavoro::Messages {

// One protocol message: command, colon, data. Parsed from received text or built from a kind
// and a data text for sending.
class TavoroMessage {
  public:
    // Empty message; request classes derived from it set kind and command themselves.
    TavoroMessage();
    // A message to send: command from commandOfKind(kind).
    TavoroMessage(MessageKind kind, const wxString& data);
    // Parses received text. A leading STX (0x02) marks the hexadecimal form, in which every
    // group of four hex digits is one character; that is how characters above U+00FF arrive.
    explicit TavoroMessage(const wxString& received);
    // The same, taking the received text's storage (received is left empty or partial).
    static TavoroMessage taking(wxString& received);
    virtual ~TavoroMessage() = default;
    // wxString has no move constructor, so a moved message swaps its texts instead of copying
    // them: a visitor list of 50,000 records is tens of megabytes of wide characters.
    TavoroMessage(const TavoroMessage&) = default;
    TavoroMessage& operator=(const TavoroMessage&) = default;
    TavoroMessage(TavoroMessage&& other) noexcept : m_kind(other.m_kind) {
        m_command.swap(other.m_command);
        m_data.swap(other.m_data);
    }
    TavoroMessage& operator=(TavoroMessage&& other) noexcept {
        m_command.swap(other.m_command);
        m_data.swap(other.m_data);
        m_kind = other.m_kind;
        return *this;
    }

    MessageKind kind() const { return m_kind; }
    const wxString& command() const { return m_command; }
    const wxString& data() const { return m_data; }
    void setData(const wxString& data) { m_data = data; }

    // "command:data" (the colon is written even when the data is empty).
    wxString toText() const;

    // Decodes the text after a leading STX: groups of up to four hex digits, one character each,
    // except that a UTF-16 surrogate pair (two groups) is one character and a lone surrogate
    // becomes U+FFFD.
    static wxString decodeHexForm(const wxString& hexDigits);

  protected:
    void parse(wxString& text);

    wxString m_command;
    wxString m_data;
    MessageKind m_kind;
};

}  // namespace Tavoro::Messages
