#include "types/WaitingChats.h"

namespace Tavoro::Types {

void WaitingChats::update(const std::vector<VisitorChatType>& chats,
                          const std::function<bool(const VisitorChatType&)>& isWaiting) {
    std::map<wxString, unsigned long> turns;
    for (const VisitorChatType& chat : chats) {
        if (chat.id.empty() || !isWaiting(chat))
            continue;
        const auto known = m_turns.find(chat.id);
        turns.emplace(chat.id, known != m_turns.end() ? known->second : m_next++);
    }
    m_turns = std::move(turns);
}

wxString WaitingChats::longestWaiting(
    const std::function<bool(const wxString& chatId)>& accept) const {
    wxString best;
    unsigned long bestTurn = 0;
    for (const auto& [id, turn] : m_turns) {
        if ((best.empty() || turn < bestTurn) && accept(id)) {
            best = id;
            bestTurn = turn;
        }
    }
    return best;
}

}  // namespace Tavoro::Types
