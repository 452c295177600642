#include "types/VisitorChatType.h"

#include "types/MemberTable.h"

namespace Tavoro::Types {
namespace {

const TextMember<VisitorChatType> kMembers[] = {
    {&VisitorChatType::id, 0, "id"},
    {&VisitorChatType::ipAddress, 1, "ipAddress"},
    {&VisitorChatType::name, 2, "name"},
    {&VisitorChatType::domain, 3, "domain"},
    {&VisitorChatType::lastActivity, 4, "lastActivity"},
    {&VisitorChatType::talkingTo, 5, "talkingTo"},
    {&VisitorChatType::department, 6, "department"},
    {&VisitorChatType::language, 7, "language"},
    {&VisitorChatType::translating, 8, "translating"},
    {&VisitorChatType::text9, 9, "text9"},
    {&VisitorChatType::monitoredBy, 10, "monitoredBy"},
};

}  // namespace

VisitorChatType::VisitorChatType(const wxString& line) {
    const Tools::wxStringSplitter fields(line, '\t', true);
    if (fields.count() <= 9)
        return;
    // Field 10 is past the end of a 10-field line and reads as empty.
    fillMembers(*this, kMembers, fields);
}

bool VisitorChatType::operator==(const VisitorChatType& other) const {
    return sameMembers(*this, other, kMembers);
}

std::ostream& operator<<(std::ostream& out, const VisitorChatType& chat) {
    out << "{";
    printMembers(out, chat, kMembers);
    return out << "}";
}

}  // namespace Tavoro::Types
