#include "messages/C_TRANSFER.h"

#include <wx/translation.h>

#include "tools/Placeholders.h"

namespace Tavoro::Messages {

C_TRANSFER::C_TRANSFER(const wxString& connection, const wxString& chatKey, const wxString& webSite,
                       const wxString& visitorName, const wxString& transferText) {
    m_kind = MK_SENDTOCLIENT;
    m_command = "@SENDTOCLIENT";
    m_data << connection << ":~transfer~" << chatKey << ':' << webSite << ':' << visitorName << '~'
           << transferText;
}

wxString C_TRANSFER::defaultTransferPattern() {
    return _("Please pick up the chat session for visitor %VISITORNAME%");
}

wxString C_TRANSFER::transferTextFor(const wxString& visitorName, const wxString& pattern) {
    return Tools::fillPlaceholders(pattern, {{"%VISITORNAME%", visitorName}});
}

}  // namespace Tavoro::Messages
