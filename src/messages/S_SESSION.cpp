#include "messages/S_SESSION.h"

#include <wx/intl.h>

#include "tools/Placeholders.h"
#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_SESSION::S_SESSION(const TavoroMessage& message) {
    parse(message.data());
}

S_SESSION::S_SESSION(const wxString& data) {
    parse(data);
}

void S_SESSION::parse(const wxString& data) {
    const Tools::wxStringSplitter fields(data, wxChar(9), true);
    m_appName = fields.item(0);
    m_version = fields.item(1);
    m_text2 = fields.item(2);
    m_registeredTo = fields.item(3);
    m_text4 = fields.item(4);
    m_text5 = fields.item(5);
    m_text6 = fields.item(6);
    m_text7 = fields.item(7);
    m_text8 = fields.item(8);
    m_text9 = fields.item(9);
    m_text10 = fields.item(10);
    m_text11 = fields.item(11);
    // Field 12 carries nothing the client uses.
    m_sessionKey = fields.item(13);
}

const wxString& S_SESSION::text(unsigned field) const {
    switch (field) {
        case 4:
            return m_text4;
        case 5:
            return m_text5;
        case 6:
            return m_text6;
        case 7:
            return m_text7;
        case 8:
            return m_text8;
        case 9:
            return m_text9;
        case 10:
            return m_text10;
        case 11:
            return m_text11;
        default:
            return m_empty;
    }
}

wxString S_SESSION::fillPlaceholders(const wxString& templ, const wxString& appName,
                                     const wxString& version, const wxString& registeredTo) {
    return Tools::fillPlaceholders(
        templ, {{"%APPNAME%", appName}, {"%VERSION%", version}, {"%REGISTEREDTO%", registeredTo}},
        Tools::PlaceholderFill::First);
}

wxString S_SESSION::connectingText() const {
    return fillPlaceholders(_("Connecting to %APPNAME% version %VERSION% registered to "
                              "%REGISTEREDTO%"),
                            m_appName, m_version, m_registeredTo);
}

wxString S_SESSION::connectedText(const wxString& productName) const {
    return fillPlaceholders(_("Connected to %APPNAME% version %VERSION% registered to "
                              "%REGISTEREDTO%"),
                            productName, m_version, m_registeredTo);
}

wxString S_SESSION::noSecureSessionText() {
    return _("Could not establish a secure session with the server");
}

}  // namespace Tavoro::Messages
