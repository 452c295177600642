#include "messages/S_CURRENTCHAT.h"

#include "messages/ChatTranscript.h"

namespace Tavoro::Messages {

S_CURRENTCHAT::S_CURRENTCHAT(const TavoroMessage& message) {
    const ChatTranscript chat(message.data(), 0);
    m_site = chat.site();
    m_ipAddress = chat.ipAddress();
    m_keyTail = chat.keyTail();
    m_visitorName = chat.visitorName();
    m_operatorNames = chat.operatorNames();
    m_text3 = chat.detail(3);
    m_transcriptHtml = chat.html();
}

}  // namespace Tavoro::Messages
