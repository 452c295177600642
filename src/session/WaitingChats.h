#pragma once

#include <wx/string.h>

#include <map>
#include <vector>

#include "types/VisitorChatType.h"

namespace Tavoro::Session {

// Which chats of the chat list wait for an operator (nobody in "Talking To") and since when.
// The chat records carry no waiting time, so it is measured here: from the chat's request
// ("@CHAT") when one came, otherwise from the first chat list that showed it waiting. Times are
// milliseconds of any monotonic clock the caller keeps to.
class WaitingChats {
  public:
    // A chat request arrived for this chat at nowMs (it may be listed later).
    void requested(const wxString& chatId, long long nowMs);
    // Takes a new chat list; returns the chats that waited, or were requested, and no longer
    // wait (taken by anyone, or gone from the list), in no particular order.
    std::vector<wxString> update(const std::vector<Types::VisitorChatType>& chats, long long nowMs);

    bool isWaiting(const wxString& chatId) const { return m_since.count(chatId) != 0; }
    // How long a chat has waited at nowMs; -1 when it does not wait.
    long long waitedMs(const wxString& chatId, long long nowMs) const;
    size_t count() const { return m_since.size(); }
    bool empty() const { return m_since.empty(); }
    // The chat that has waited longest; empty when none waits.
    wxString longestWaiting() const;

  private:
    // Requests not listed yet are forgotten after this long.
    static constexpr long long kRequestMemoryMs = 10 * 60 * 1000;

    std::map<wxString, long long> m_since;
    std::map<wxString, long long> m_requestedAt;
};

}  // namespace Tavoro::Session
