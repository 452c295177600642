#include "types/PageType.h"

#include "types/MemberTable.h"

namespace Tavoro::Types {
namespace {

const TextMember<PageType> kMembers[] = {
    {&PageType::time, 0, "time"},   {&PageType::url, 1, "url"},
    {&PageType::text2, 2, "text2"}, {&PageType::status, 3, "status"},
    {&PageType::title, 4, "title"},
};

}  // namespace

PageType::PageType(const wxString& line) {
    fillMembers(*this, kMembers, Tools::wxStringSplitter(line, '\t', true));
}

bool PageType::operator==(const PageType& other) const {
    return sameMembers(*this, other, kMembers);
}

std::ostream& operator<<(std::ostream& out, const PageType& page) {
    out << "{";
    printMembers(out, page, kMembers);
    return out << "}";
}

}  // namespace Tavoro::Types
