#pragma once

#include <cstdint>
#include <vector>

#include "messages/TavoroMessage.h"
#include "types/Alert.h"

namespace Tavoro::Messages {

// "@SD": one site's details: key, name, domain, group key, group name, a flag and the site's
// alerts ("|"-separated records separated by ESC), seven TAB-separated fields. With 6 fields or
// fewer every member stays empty.
//
// The site tree remembers the site's node here. The core is GUI-free, so the node is kept as
// the opaque pointer inside the toolkit's tree item id (wxTreeItemId::GetID / wxTreeItemId(void*)).
class S_SD {
  public:
    explicit S_SD(const TavoroMessage& message);
    virtual ~S_SD() = default;

    const wxString& siteKey() const { return m_siteKey; }
    const wxString& siteName() const { return m_siteName; }
    const wxString& domain() const { return m_domain; }
    const wxString& groupKey() const { return m_groupKey; }
    const wxString& groupName() const { return m_groupName; }
    // Field 5: true for "Y", "True" or "1" (the forms flags and site settings take on the wire).
    bool flag5() const { return m_flag5; }
    int32_t alertCount() const { return static_cast<int32_t>(m_alerts.size()); }
    const std::vector<Types::Alert>& alerts() const { return m_alerts; }
    // The alert with that id, or null; the visitor grid and the visit detail show its flag.
    const Types::Alert* findAlert(const wxString& alertId) const;

  private:
    wxString m_siteKey;
    wxString m_siteName;
    wxString m_domain;
    wxString m_groupKey;
    wxString m_groupName;
    bool m_flag5 = false;
    std::vector<Types::Alert> m_alerts;
};

}  // namespace Tavoro::Messages
