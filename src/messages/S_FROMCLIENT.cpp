#include "messages/S_FROMCLIENT.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_FROMCLIENT::S_FROMCLIENT(const TavoroMessage& message) {
    const Tools::wxStringSplitter fields(message.data(), '\n', true);
    if (fields.count() < 2)
        return;
    m_from = fields.item(0);
    m_text = fields.item(1);
}

bool S_FROMCLIENT::isTransfer() const {
    return m_text.StartsWith("~transfer~");
}

}  // namespace Tavoro::Messages
