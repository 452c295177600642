#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Messages {

// "@GETVISIT": asks for the details of a visitor's visit. Data: site key, IP address, username
// and visit text joined by ":" (the colons are there even when a value is empty).
class C_GETVISIT : public TavoroMessage {
  public:
    C_GETVISIT(const wxString& siteKey, const wxString& ipAddress, const wxString& username,
               const wxString& visitText);
};

}  // namespace Tavoro::Messages
