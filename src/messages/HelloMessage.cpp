#include "messages/HelloMessage.h"

#include <wx/intl.h>

namespace Tavoro::Messages {

HelloMessage::HelloMessage() : m_productName(_("Tavoro")) {}

HelloMessage::HelloMessage(const TavoroMessage&) : HelloMessage() {}

}  // namespace Tavoro::Messages
