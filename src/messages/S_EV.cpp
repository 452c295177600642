#include "messages/S_EV.h"

namespace Tavoro::Messages {

S_EV::S_EV(const TavoroMessage& message) {
    parseLine(message.data(), 16);
}

}  // namespace Tavoro::Messages
