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

    // The operator status number of the wire as the translated text shown for it: 0 "Online",
    // 1 "Busy", 2 "Be Right Back", 3 "Away"; any other number gives the empty text.
    static wxString statusTextOf(long status);

    bool operator==(const ClientType& other) const;
    bool operator!=(const ClientType& other) const { return !(*this == other); }

    wxString connection;  // 0: connection number; chat records name operators by it
    wxString ipAddress;   // 1
    wxString name;        // 2
    wxString department;  // 3
    wxString statusText;  // 4, decoded and translated; the number itself is not kept
    wxString language;    // 5
    wxString username;    // 6
};

std::ostream& operator<<(std::ostream& out, const ClientType& client);

}  // namespace Tavoro::Types
