#include "session/Inbox.h"

namespace Tavoro::Session {

using namespace Messages;

bool Inbox::forChatWindows(MessageKind kind) {
    switch (kind) {
        case MK_MESSAGE:
        case MK_TYPING_ON:
        case MK_TYPING_OFF:
        case MK_CURRENTCHAT:
            return true;
        default:
            return false;
    }
}

void Inbox::take(TavoroMessage&& message, long readAt) {
    const MessageKind kind = message.kind();
    Item item{std::move(message), readAt, false};
    if (kind == MK_VISITORS) {
        ++m_listsWaiting;
        m_rest.push_back(std::move(item));
        return;
    }
    if (!forChatWindows(kind)) {
        m_rest.push_back(std::move(item));
        return;
    }
    if (m_listsWaiting == 0 && m_chatFramesWaiting == 0) {
        m_chat.push_back(std::move(item));
        return;
    }
    ++m_chatFramesWaiting;
    m_rest.push_back(std::move(item));
}

void Inbox::takeLoss(long readAt, Net::TlsFailure failure) {
    m_rest.push_back(Item{TavoroMessage(), readAt, true, failure});
}

bool Inbox::next(Item& item) {
    std::deque<Item>& line = !m_chat.empty() ? m_chat : m_rest;
    if (line.empty())
        return false;
    item = std::move(line.front());
    line.pop_front();
    if (&line == &m_rest && !item.lost) {
        const MessageKind kind = item.message.kind();
        if (kind == MK_VISITORS)
            --m_listsWaiting;
        else if (forChatWindows(kind))
            --m_chatFramesWaiting;
    }
    return true;
}

void Inbox::clear() {
    m_chat.clear();
    m_rest.clear();
    m_listsWaiting = 0;
    m_chatFramesWaiting = 0;
}

}  // namespace Tavoro::Session
