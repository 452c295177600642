#pragma once

#include <wx/string.h>

#include <ostream>
#include <vector>

#include "types/AlertTotal.h"

namespace Tavoro::Types {

// One site's statistics of the day: 25 TAB-separated texts and, in field 25, the alert totals
// separated by "~". A record of 25 fields or fewer leaves the summary empty.
class DaySummary {
  public:
    DaySummary() = default;
    explicit DaySummary(const wxString& record);
    virtual ~DaySummary() = default;

    // The day of several sites as one: every count summed (a text that is not a number counts
    // 0), cost and revenue summed with the most decimals any part shows, and the peak the
    // highest of the parts with that part's time. The site and the texts that are not shown
    // stay empty, and so do the alert totals (alerts belong to one site). No parts: every
    // shown figure is "0".
    static DaySummary total(const std::vector<const DaySummary*>& parts);

    bool operator==(const DaySummary& other) const;
    bool operator!=(const DaySummary& other) const { return !(*this == other); }

    wxString site;                        // 0: key of the site
    wxString text1;                       // 1, not shown
    wxString currentVisitors;             // 2
    wxString totalVisits;                 // 3
    wxString entryAlertsFree;             // 4
    wxString entryAlertsPaid;             // 5
    wxString newVisits;                   // 6
    wxString totalSpiders;                // 7
    wxString text8;                       // 8, not shown
    wxString newProspects;                // 9
    wxString newCustomers;                // 10
    wxString chatRequests;                // 11
    wxString text12;                      // 12, not shown
    wxString downloads;                   // 13
    wxString hackExceptions;              // 14
    wxString text15;                      // 15, not shown
    wxString pageErrors;                  // 16
    wxString pageViews;                   // 17
    wxString peakCount;                   // 18
    wxString peakTime;                    // 19
    wxString text20;                      // 20, not shown
    wxString text21;                      // 21, not shown
    wxString text22;                      // 22, not shown
    wxString totalCostToday;              // 23
    wxString totalRevenue;                // 24
    std::vector<AlertTotal> alertTotals;  // 25, one per "~"-separated part
};

std::ostream& operator<<(std::ostream& out, const DaySummary& summary);

}  // namespace Tavoro::Types
