#pragma once

#include <wx/string.h>

#include <ostream>

namespace Tavoro::Types {

// One page view of a visit: time, address, status and title, TAB-separated. There is no
// minimum field count; missing fields are empty.
class PageType {
  public:
    PageType() = default;
    explicit PageType(const wxString& line);
    virtual ~PageType() = default;

    bool operator==(const PageType& other) const;
    bool operator!=(const PageType& other) const { return !(*this == other); }

    wxString time;    // field 0
    wxString url;     // field 1
    wxString text2;   // field 2, not interpreted
    wxString status;  // field 3
    wxString title;   // field 4; the visit detail shows the url when it is empty
};

std::ostream& operator<<(std::ostream& out, const PageType& page);

}  // namespace Tavoro::Types
