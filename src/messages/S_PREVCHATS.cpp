#include "messages/S_PREVCHATS.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

using Tools::wxStringSplitter;

S_PREVCHATS::S_PREVCHATS(const TavoroMessage& message) {
    const wxStringSplitter lines(message.data(), '\n', true);
    const wxStringSplitter key(lines.item(0), ':', true);
    m_site = key.item(0);
    m_ipAddress = key.item(1);
    const wxStringSplitter records(lines.item(1), wxChar(27), false);
    m_chats.reserve(records.count());
    for (unsigned i = 0; i < records.count(); ++i)
        m_chats.emplace_back(records.item(i));
}

}  // namespace Tavoro::Messages
