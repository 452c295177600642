#include "types/PrevChatType.h"

#include "types/MemberTable.h"

namespace Tavoro::Types {
namespace {

const TextMember<PrevChatType> kPlainMembers[] = {
    {&PrevChatType::name, 1, "name"},     {&PrevChatType::dateTime, 0, "dateTime"},
    {&PrevChatType::user, 3, "user"},     {&PrevChatType::department, 4, "department"},
    {&PrevChatType::chatId, 2, "chatId"},
};

}  // namespace

PrevChatType::PrevChatType(const wxString& line) {
    const Tools::wxStringSplitter fields(line, '\t', true);
    fillMembers(*this, kPlainMembers, fields);
    duration = formatDuration(fields.itemAsLong(5));
}

wxString PrevChatType::formatDuration(long long seconds) {
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 - hours * 60;
    const long long rest = seconds % 60;
    return wxString::Format("%lld:%lld:%lld", hours, minutes, rest);
}

bool PrevChatType::operator==(const PrevChatType& other) const {
    return sameMembers(*this, other, kPlainMembers) && duration == other.duration;
}

std::ostream& operator<<(std::ostream& out, const PrevChatType& chat) {
    out << "{";
    printMembers(out, chat, kPlainMembers);
    return out << " duration='" << chat.duration << "'}";
}

}  // namespace Tavoro::Types
