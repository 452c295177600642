#pragma once

#include <wx/string.h>

#include <ostream>

namespace Tavoro::Types {

// One earlier chat of a visitor: a row of the visit detail's chat list. TAB-separated, no
// minimum field count; field 5 is the duration in seconds, kept as "h:m:s".
class PrevChatType {
  public:
    PrevChatType() = default;
    explicit PrevChatType(const wxString& line);
    virtual ~PrevChatType() = default;

    // Seconds as "hours:minutes:seconds", plain decimal numbers without leading zeros
    // (3725 gives "1:2:5"); division truncates toward zero.
    static wxString formatDuration(long long seconds);

    bool operator==(const PrevChatType& other) const;
    bool operator!=(const PrevChatType& other) const { return !(*this == other); }

    wxString name;        // 1
    wxString dateTime;    // 0
    wxString user;        // 3
    wxString department;  // 4
    wxString chatId;      // 2
    wxString duration;    // 5, formatted
};

std::ostream& operator<<(std::ostream& out, const PrevChatType& chat);

}  // namespace Tavoro::Types
