#pragma once

#include <wx/string.h>

#include <ostream>

namespace Tavoro::Types {

// One earlier visit of a visitor: a row of the visit detail's visit list. Twenty TAB-separated
// texts, no minimum field count.
class PrevVisitType {
  public:
    PrevVisitType() = default;
    explicit PrevVisitType(const wxString& line);
    virtual ~PrevVisitType() = default;

    bool operator==(const PrevVisitType& other) const;
    bool operator!=(const PrevVisitType& other) const { return !(*this == other); }

    wxString visitNumber;  // 0
    wxString text1;        // 1
    wxString date;         // 2
    wxString time;         // 3
    wxString alertId;      // 4: the site's alert whose flag marks the visit
    wxString firstPage;    // 5
    wxString lastPage;     // 6
    wxString minsOn;       // 7
    wxString pages;        // 8
    wxString text9;        // 9 to 18, carried as text
    wxString text10;
    wxString text11;
    wxString text12;
    wxString text13;
    wxString text14;
    wxString text15;
    wxString text16;
    wxString text17;
    wxString text18;
    wxString referrer;  // 19
};

std::ostream& operator<<(std::ostream& out, const PrevVisitType& visit);

}  // namespace Tavoro::Types
