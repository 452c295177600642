#include "messages/S_VISITORS.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_VISITORS::S_VISITORS(const TavoroMessage& message) {
    const Tools::wxStringSplitter lines(message.data(), wxChar(27), false);
    m_records.reserve(lines.count());
    for (unsigned i = 0; i < lines.count(); ++i)
        m_records.emplace_back(lines.item(i));
}

}  // namespace Tavoro::Messages
