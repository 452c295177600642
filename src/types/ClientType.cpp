#include "types/ClientType.h"

#include "types/MemberTable.h"
#include "types/OperatorStatus.h"

namespace Tavoro::Types {
namespace {

// Members taken as they are; statusText is decoded separately.
const TextMember<ClientType> kPlainMembers[] = {
    {&ClientType::connection, 0, "connection"},
    {&ClientType::ipAddress, 1, "ipAddress"},
    {&ClientType::name, 2, "name"},
    {&ClientType::department, 3, "department"},
    {&ClientType::language, 5, "language"},
    {&ClientType::username, 6, "username"},
};

}  // namespace

ClientType::ClientType(const wxString& line) {
    const Tools::wxStringSplitter fields(line, '\t', true);
    if (fields.count() <= 5)
        return;
    // A 6-field line has no field 6: username reads as empty.
    fillMembers(*this, kPlainMembers, fields);
    const std::optional<OperatorStatus> status = operatorStatusOf(fields.itemAsLong(4));
    statusText = status ? operatorStatusText(*status) : wxString();
}

bool ClientType::operator==(const ClientType& other) const {
    return sameMembers(*this, other, kPlainMembers) && statusText == other.statusText;
}

std::ostream& operator<<(std::ostream& out, const ClientType& client) {
    out << "{";
    printMembers(out, client, kPlainMembers);
    return out << " statusText='" << client.statusText << "'}";
}

}  // namespace Tavoro::Types
