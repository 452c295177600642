#include "messages/S_PopupMessage.h"

#include "tools/wxStringSplitter.h"

namespace Tavoro::Messages {

S_PopupMessage::S_PopupMessage(const TavoroMessage& message) {
    const Tools::wxStringSplitter fields(message.data(), '\t', true);
    if (fields.count() <= 1)
        return;
    const wxString& kindField = fields.item(0);
    if (!kindField.empty()) {
        switch (kindField[0].GetValue()) {
            case 'A':
                m_kind = POPUP_NEW_VISITOR;
                break;
            case 'P':
                m_kind = POPUP_NEW_PROSPECT;
                break;
            case 'C':
                m_kind = POPUP_NEW_CUSTOMER;
                break;
            case 'E':
                m_kind = POPUP_NEW_EXCEPTION;
                break;
            default:
                break;
        }
    }
    m_text = fields.item(1);
}

}  // namespace Tavoro::Messages
