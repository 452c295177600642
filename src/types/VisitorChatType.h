#pragma once

#include <wx/string.h>

#include <ostream>

namespace Tavoro::Types {

// One visitor who is chatting or waiting for a chat: a row of the "Chatting Visitors" grid.
// A line of 9 TAB-separated fields or fewer leaves every member empty; `monitoredBy` is read
// only from lines of more than 10 fields.
class VisitorChatType {
  public:
    VisitorChatType() = default;
    explicit VisitorChatType(const wxString& line);
    virtual ~VisitorChatType() = default;

    bool operator==(const VisitorChatType& other) const;
    bool operator!=(const VisitorChatType& other) const { return !(*this == other); }

    wxString id;            // 0: chat identifier ("ID#")
    wxString ipAddress;     // 1
    wxString name;          // 2
    wxString domain;        // 3
    wxString lastActivity;  // 4
    wxString talkingTo;     // 5: connection number of the operator in the chat
    wxString department;    // 6
    wxString language;      // 7
    wxString translating;   // 8
    wxString text9;         // 9, not interpreted
    wxString monitoredBy;   // 10: connection number of the operator who monitors the chat
};

std::ostream& operator<<(std::ostream& out, const VisitorChatType& chat);

}  // namespace Tavoro::Types
