#pragma once

#include <wx/string.h>

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// The session data of one connection: the decrypted data of "@SESSION", TAB-separated. The
// main window keeps one instance per connection; a missing field reads as empty.
class S_SESSION {
  public:
    S_SESSION() = default;
    // Parses the data of the message (already decrypted by the key exchange).
    explicit S_SESSION(const TavoroMessage& message);
    // Parses a data text directly.
    explicit S_SESSION(const wxString& data);
    virtual ~S_SESSION() = default;

    const wxString& appName() const { return m_appName; }
    const wxString& version() const { return m_version; }
    const wxString& text2() const { return m_text2; }
    const wxString& registeredTo() const { return m_registeredTo; }
    // Fields 4 to 11, kept as received; index outside 4..11 reads as empty.
    const wxString& text(unsigned field) const;
    const wxString& sessionKey() const { return m_sessionKey; }

    // Whether the data carried a session key. Without one there is no secure session and the
    // client must not send the login.
    bool hasSessionKey() const { return !m_sessionKey.empty(); }

    // The status texts of the connection steps, translated, with the first occurrence of each
    // placeholder replaced: "Connecting to ..." with this session's product name, and
    // "Connected to ..." with the greeting's product name.
    wxString connectingText() const;
    wxString connectedText(const wxString& productName) const;

    // Replaces the first %APPNAME%, %VERSION% and %REGISTEREDTO% of a template, in one pass.
    static wxString fillPlaceholders(const wxString& templ, const wxString& appName,
                                     const wxString& version, const wxString& registeredTo);

    // The status text shown when the session data could not be decrypted or had no key.
    static wxString noSecureSessionText();

  private:
    void parse(const wxString& data);

    wxString m_appName;
    wxString m_version;
    wxString m_text2;
    wxString m_registeredTo;
    wxString m_text4;
    wxString m_text5;
    wxString m_text6;
    wxString m_text7;
    wxString m_text8;
    wxString m_text9;
    wxString m_text10;
    wxString m_text11;
    wxString m_sessionKey;
    wxString m_empty;
};

}  // namespace Tavoro::Messages
