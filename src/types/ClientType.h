#pragma once

#include <wx/string.h>

#include <ostream>

namespace Tavoro::Types {

// One logged-in operator: a row of the "Current Operators" grid. A line of 5 TAB-separated
// fields or fewer leaves every member empty; `username` is read only from lines of more than 6.
class ClientType {
  public:
    ClientType() = default;
    explicit ClientType(const wxString& line);
    virtual ~ClientType() = default;

    bool operator==(const ClientType& other) const;
    bool operator!=(const ClientType& other) const { return !(*this == other); }

    wxString connection;  // 0: connection number; chat records name operators by it
    wxString ipAddress;   // 1
    wxString name;        // 2
    wxString department;  // 3
    // 4: the status number as the translated text shown for it (see OperatorStatus); empty for
    // a number that names no status. The number itself is not kept.
    wxString statusText;
    wxString language;  // 5
    wxString username;  // 6
};

std::ostream& operator<<(std::ostream& out, const ClientType& client);

}  // namespace Tavoro::Types
