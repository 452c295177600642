#include "session/WaitingChats.h"

namespace Tavoro::Session {

void WaitingChats::requested(const wxString& chatId, long long nowMs) {
    if (chatId.empty() || m_since.count(chatId))
        return;
    m_requestedAt.emplace(chatId, nowMs);
}

std::vector<wxString> WaitingChats::update(const std::vector<Types::VisitorChatType>& chats,
                                           long long nowMs) {
    std::map<wxString, long long> since;
    std::vector<wxString> stopped;
    for (const Types::VisitorChatType& chat : chats) {
        if (chat.id.empty())
            continue;
        const auto request = m_requestedAt.find(chat.id);
        // "0" or nothing in "Talking To" means no operator has the chat.
        const bool waiting = chat.talkingTo.empty() || chat.talkingTo == "0";
        if (waiting) {
            const auto known = m_since.find(chat.id);
            long long start = nowMs;
            if (known != m_since.end())
                start = known->second;
            else if (request != m_requestedAt.end() && request->second <= nowMs)
                start = request->second;
            since.emplace(chat.id, start);
        }
        if (request != m_requestedAt.end()) {
            // A request whose chat is listed as taken already never waits here.
            if (!waiting)
                stopped.push_back(chat.id);
            m_requestedAt.erase(request);
        }
    }
    for (auto it = m_requestedAt.begin(); it != m_requestedAt.end();) {
        if (nowMs - it->second > kRequestMemoryMs)
            it = m_requestedAt.erase(it);
        else
            ++it;
    }
    for (const auto& [id, start] : m_since) {
        if (!since.count(id))
            stopped.push_back(id);
    }
    m_since = std::move(since);
    return stopped;
}

long long WaitingChats::waitedMs(const wxString& chatId, long long nowMs) const {
    const auto found = m_since.find(chatId);
    if (found == m_since.end())
        return -1;
    return nowMs > found->second ? nowMs - found->second : 0;
}

wxString WaitingChats::longestWaiting() const {
    wxString longest;
    long long earliest = 0;
    for (const auto& [id, start] : m_since) {
        if (longest.empty() || start < earliest) {
            longest = id;
            earliest = start;
        }
    }
    return longest;
}

}  // namespace Tavoro::Session
