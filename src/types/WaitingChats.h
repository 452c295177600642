#pragma once

#include <wx/string.h>

#include <functional>
#include <map>
#include <vector>

#include "types/VisitorChatType.h"

namespace Tavoro::Types {

// Which waiting chat has waited longest. The chat list carries no waiting time the client can
// read (its "Last Activity" is the server's text), so the order in which the chats were first
// seen waiting stands in for it: each new list is compared with the last one, a chat keeps the
// turn it got when it first appeared without an operator, and chats new in the same list take
// their turns in list order. A chat that an operator takes, or that ends, loses its turn.
class WaitingChats {
  public:
    // isWaiting tells whether nobody talks to a chat yet.
    void update(const std::vector<VisitorChatType>& chats,
                const std::function<bool(const VisitorChatType&)>& isWaiting);
    // The id of the waiting chat with the earliest turn that the filter accepts; empty when
    // there is none.
    wxString longestWaiting(const std::function<bool(const wxString& chatId)>& accept) const;

  private:
    std::map<wxString, unsigned long> m_turns;
    unsigned long m_next = 0;
};

}  // namespace Tavoro::Types
