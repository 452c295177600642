#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@INVITE": invites a visitor to chat. Data: IP address, TAB, username, TAB, domain of the
// visitor's site; then ESC and the invitation text, only when that text is not empty.
class C_INVITE : public TavoroMessage {
  public:
    C_INVITE(const wxString& ipAddress, const wxString& username, const wxString& domain,
             const wxString& invitationText);
};

}  // namespace Tavoro::Messages
