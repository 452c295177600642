#include "messages/S_PREVCHAT.h"

#include "messages/ChatTranscript.h"

namespace Tavoro::Messages {

S_PREVCHAT::S_PREVCHAT(const TavoroMessage& message) {
    const ChatTranscript chat(message.data(), 1);
    m_site = chat.site();
    m_text0 = chat.detail(0);
    m_ipAddress = chat.ipAddress();
    m_visitorName = chat.visitorName();
    m_operatorNames = chat.operatorNames();
    m_text3 = chat.detail(3);
    m_transcriptHtml = chat.html();
}

}  // namespace Tavoro::Messages
