#include "messages/S_PREVVISITS.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

using Tools::wxStringSplitter;

S_PREVVISITS::S_PREVVISITS(const TavoroMessage& message) {
    const wxStringSplitter lines(message.data(), '\n', true);
    const wxStringSplitter key(lines.item(0), ':', true);
    m_site = key.item(0);
    m_ipAddress = key.item(1);
    m_keyTail = key.item(2);
    const wxStringSplitter records(lines.item(1), wxChar(27), false);
    m_visits.reserve(records.count());
    for (unsigned i = 0; i < records.count(); ++i)
        m_visits.emplace_back(records.item(i));
}

}  // namespace Tavoro::Messages
