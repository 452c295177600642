#include "messages/S_DS.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_DS::S_DS(const TavoroMessage& message) {
    const Tools::wxStringSplitter records(message.data(), wxChar(27), false);
    m_summaries.reserve(records.count());
    for (unsigned i = 0; i < records.count(); ++i)
        m_summaries.emplace_back(records.item(i));
}

}  // namespace Tavoro::Messages
