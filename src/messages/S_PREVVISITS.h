#pragma once

#include <vector>

#include "messages/TavoroMessage.h"
#include "types/PrevVisitType.h"

namespace Tavoro::Messages {

// "@PREVVISITS": a visitor's earlier visits: visitor key line, LF, visit records separated by
// ESC (a trailing ESC adds none). The site key picks the site whose alerts mark the visits.
class S_PREVVISITS {
  public:
    explicit S_PREVVISITS(const TavoroMessage& message);
    virtual ~S_PREVVISITS() = default;

    const std::vector<Types::PrevVisitType>& visits() const { return m_visits; }
    const wxString& site() const { return m_site; }
    const wxString& ipAddress() const { return m_ipAddress; }
    const wxString& keyTail() const { return m_keyTail; }

  private:
    std::vector<Types::PrevVisitType> m_visits;
    wxString m_site;
    wxString m_ipAddress;
    wxString m_keyTail;
};

}  // namespace Tavoro::Messages
