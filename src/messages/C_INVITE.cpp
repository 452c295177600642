#include "messages/C_INVITE.h"

namespace Tavoro::Messages {

C_INVITE::C_INVITE(const wxString& ipAddress, const wxString& username, const wxString& domain,
                   const wxString& invitationText) {
    m_kind = MK_INVITE;
    m_command = "@INVITE";
    m_data << ipAddress << '\t' << username << '\t' << domain;
    if (!invitationText.empty())
        m_data << wxChar(27) << invitationText;
}

}  // namespace Tavoro::Messages
