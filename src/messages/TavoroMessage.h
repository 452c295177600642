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
    virtual ~TavoroMessage() = default;

    MessageKind kind() const { return m_kind; }
    wxString command() const { return m_command; }
    wxString data() const { return m_data; }
    void setData(const wxString& data) { m_data = data; }

    // "command:data" (the colon is written even when the data is empty).
    wxString toText() const;

    // Decodes the text after a leading STX: groups of up to four hex digits, one character each,
    // except that a UTF-16 surrogate pair (two groups) is one character and a lone surrogate
    // becomes U+FFFD.
    static wxString decodeHexForm(const wxString& hexDigits);

  protected:
    wxString m_command;
    wxString m_data;
    MessageKind m_kind;
};

}  // namespace Tavoro::Messages
