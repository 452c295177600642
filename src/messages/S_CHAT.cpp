#include "messages/S_CHAT.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_CHAT::S_CHAT(const TavoroMessage& message) {
    const Tools::wxStringSplitter fields(message.data(), ':', true);
    if (fields.count() <= 2)
        return;
    m_text0 = fields.item(0);
    m_domain = fields.item(1);
    m_visitorName = fields.item(2);
}

}  // namespace Tavoro::Messages
