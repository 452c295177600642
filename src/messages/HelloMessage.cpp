#include "messages/HelloMessage.h"

#include <wx/intl.h>

namespace Tavoro::Messages {

// A product name: never translated.
HelloMessage::HelloMessage() : m_productName("Tavoro") {}

HelloMessage::HelloMessage(const TavoroMessage&) : HelloMessage() {}

}  // namespace Tavoro::Messages
