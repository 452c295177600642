#include "types/DaySummary.h"

#include "types/MemberTable.h"

#include <algorithm>

namespace Tavoro::Types {
namespace {

const TextMember<DaySummary> kMembers[] = {
    {&DaySummary::site, 0, "site"},
    {&DaySummary::text1, 1, "text1"},
    {&DaySummary::currentVisitors, 2, "currentVisitors"},
    {&DaySummary::totalVisits, 3, "totalVisits"},
    {&DaySummary::entryAlertsFree, 4, "entryAlertsFree"},
    {&DaySummary::entryAlertsPaid, 5, "entryAlertsPaid"},
    {&DaySummary::newVisits, 6, "newVisits"},
    {&DaySummary::totalSpiders, 7, "totalSpiders"},
    {&DaySummary::text8, 8, "text8"},
    {&DaySummary::newProspects, 9, "newProspects"},
    {&DaySummary::newCustomers, 10, "newCustomers"},
    {&DaySummary::chatRequests, 11, "chatRequests"},
    {&DaySummary::text12, 12, "text12"},
    {&DaySummary::downloads, 13, "downloads"},
    {&DaySummary::hackExceptions, 14, "hackExceptions"},
    {&DaySummary::text15, 15, "text15"},
    {&DaySummary::pageErrors, 16, "pageErrors"},
    {&DaySummary::pageViews, 17, "pageViews"},
    {&DaySummary::peakCount, 18, "peakCount"},
    {&DaySummary::peakTime, 19, "peakTime"},
    {&DaySummary::text20, 20, "text20"},
    {&DaySummary::text21, 21, "text21"},
    {&DaySummary::text22, 22, "text22"},
    {&DaySummary::totalCostToday, 23, "totalCostToday"},
    {&DaySummary::totalRevenue, 24, "totalRevenue"},
};

}  // namespace

DaySummary::DaySummary(const wxString& record) {
    const Tools::wxStringSplitter fields(record, '\t', true);
    if (fields.count() <= 25)
        return;
    fillMembers(*this, kMembers, fields);
    const Tools::wxStringSplitter totals(fields.item(25), '~', true);
    alertTotals.reserve(totals.count());
    for (unsigned i = 0; i < totals.count(); ++i)
        alertTotals.emplace_back(totals.item(i));
}

bool DaySummary::operator==(const DaySummary& other) const {
    return sameMembers(*this, other, kMembers) && alertTotals == other.alertTotals;
}

std::ostream& operator<<(std::ostream& out, const DaySummary& summary) {
    out << "{";
    printMembers(out, summary, kMembers);
    out << " alertTotals=[";
    for (const AlertTotal& t : summary.alertTotals)
        out << t;
    return out << "]}";
}

}  // namespace Tavoro::Types

namespace Tavoro::Types {
namespace {

long long countOf(const wxString& text) {
    long long value = 0;
    return text.Strip(wxString::both).ToLongLong(&value) ? value : 0;
}

// Digits after the decimal point of an amount ("12.50" has 2); amounts are written with a
// point whatever the desktop's language.
int decimalsOf(const wxString& text) {
    const int point = text.Find('.');
    return point == wxNOT_FOUND ? 0 : static_cast<int>(text.length()) - point - 1;
}

wxString sumOfAmounts(const std::vector<const DaySummary*>& parts, wxString DaySummary::*member) {
    double sum = 0;
    int decimals = 0;
    for (const DaySummary* part : parts) {
        const wxString text = (part->*member).Strip(wxString::both);
        double value = 0;
        if (!text.ToCDouble(&value))
            continue;
        sum += value;
        decimals = std::max(decimals, std::min(decimalsOf(text), 4));
    }
    return wxString::FromCDouble(sum, decimals);
}

}  // namespace

DaySummary DaySummary::total(const std::vector<const DaySummary*>& parts) {
    DaySummary sum;
    wxString DaySummary::*const counts[] = {
        &DaySummary::currentVisitors, &DaySummary::totalVisits,    &DaySummary::entryAlertsFree,
        &DaySummary::entryAlertsPaid, &DaySummary::newVisits,      &DaySummary::totalSpiders,
        &DaySummary::newProspects,    &DaySummary::newCustomers,   &DaySummary::chatRequests,
        &DaySummary::downloads,       &DaySummary::hackExceptions, &DaySummary::pageErrors,
        &DaySummary::pageViews,
    };
    for (wxString DaySummary::*member : counts) {
        long long value = 0;
        for (const DaySummary* part : parts)
            value += countOf(part->*member);
        sum.*member = wxString::Format("%lld", value);
    }
    long long peak = 0;
    for (const DaySummary* part : parts) {
        const long long count = countOf(part->peakCount);
        if (count > peak || (count == peak && sum.peakTime.empty())) {
            peak = count;
            sum.peakTime = part->peakTime;
        }
    }
    sum.peakCount = wxString::Format("%lld", peak);
    sum.totalCostToday = sumOfAmounts(parts, &DaySummary::totalCostToday);
    sum.totalRevenue = sumOfAmounts(parts, &DaySummary::totalRevenue);
    return sum;
}

}  // namespace Tavoro::Types
