#include "messages/S_MESSAGE.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_MESSAGE::S_MESSAGE(const TavoroMessage& message) {
    const Tools::wxStringSplitter fields(message.data(), '\n', true);
    if (fields.count() <= 1)
        return;
    m_chatId = fields.item(0);
    m_text = fields.item(1);
}

bool S_MESSAGE::visitorLeft() const {
    return m_text == "Visitor has left the conversation.";
}

}  // namespace Tavoro::Messages
