#include "messages/C_GETVISIT.h"

namespace Tavoro::Messages {

C_GETVISIT::C_GETVISIT(const wxString& siteKey, const wxString& ipAddress, const wxString& username,
                       const wxString& visitText) {
    m_kind = MK_GETVISIT;
    m_command = "@GETVISIT";
    m_data << siteKey << ':' << ipAddress << ':' << username << ':' << visitText;
}

}  // namespace Tavoro::Messages
