#include "types/PrevVisitType.h"

#include "types/MemberTable.h"

namespace Tavoro::Types {
namespace {

const TextMember<PrevVisitType> kMembers[] = {
    {&PrevVisitType::visitNumber, 0, "visitNumber"},
    {&PrevVisitType::text1, 1, "text1"},
    {&PrevVisitType::date, 2, "date"},
    {&PrevVisitType::time, 3, "time"},
    {&PrevVisitType::alertId, 4, "alertId"},
    {&PrevVisitType::firstPage, 5, "firstPage"},
    {&PrevVisitType::lastPage, 6, "lastPage"},
    {&PrevVisitType::minsOn, 7, "minsOn"},
    {&PrevVisitType::pages, 8, "pages"},
    {&PrevVisitType::text9, 9, "text9"},
    {&PrevVisitType::text10, 10, "text10"},
    {&PrevVisitType::text11, 11, "text11"},
    {&PrevVisitType::text12, 12, "text12"},
    {&PrevVisitType::text13, 13, "text13"},
    {&PrevVisitType::text14, 14, "text14"},
    {&PrevVisitType::text15, 15, "text15"},
    {&PrevVisitType::text16, 16, "text16"},
    {&PrevVisitType::text17, 17, "text17"},
    {&PrevVisitType::text18, 18, "text18"},
    {&PrevVisitType::referrer, 19, "referrer"},
};

}  // namespace

PrevVisitType::PrevVisitType(const wxString& line) {
    fillMembers(*this, kMembers, Tools::wxStringSplitter(line, '\t', true));
}

bool PrevVisitType::operator==(const PrevVisitType& other) const {
    return sameMembers(*this, other, kMembers);
}

std::ostream& operator<<(std::ostream& out, const PrevVisitType& visit) {
    out << "{";
    printMembers(out, visit, kMembers);
    return out << "}";
}

}  // namespace Tavoro::Types
