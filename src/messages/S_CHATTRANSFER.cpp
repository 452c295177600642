#include "messages/S_CHATTRANSFER.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_CHATTRANSFER::S_CHATTRANSFER(const S_FROMCLIENT& message) : m_from(message.from()) {
    // Parts: the empty text before the first "~", "transfer", the values, the note.
    const Tools::wxStringSplitter parts(message.text(), '~', true);
    const Tools::wxStringSplitter values(parts.item(2), ':', true);
    m_detail0 = values.item(0);
    m_detail1 = values.item(1);
    m_detail2 = values.item(2);
    m_note = parts.item(3);
}

}  // namespace Tavoro::Messages
