#include "messages/S_CLIENTS.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_CLIENTS::S_CLIENTS(const TavoroMessage& message) {
    const Tools::wxStringSplitter records(message.data(), wxChar(27), false);
    m_operators.reserve(records.count());
    for (unsigned i = 0; i < records.count(); ++i)
        m_operators.emplace_back(records.item(i));
}

const Types::ClientType* S_CLIENTS::findByConnection(const wxString& connection) const {
    for (const Types::ClientType& op : m_operators) {
        if (op.connection == connection)
            return &op;
    }
    return nullptr;
}

}  // namespace Tavoro::Messages
