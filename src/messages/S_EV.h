#pragma once

#include "messages/TavoroMessage.h"
#include "types/VisitorFields.h"

namespace Tavoro::Messages {

// "@EV": one visitor who arrived or changed, in the TAB-separated layout of a visitor line.
// Unlike a visitor line of a full list, 17 fields are enough; with 16 or fewer every member
// stays empty. VisitorList::applyEvent decides whether it updates a listed visitor or adds one.
class S_EV : public Types::VisitorFields {
  public:
    explicit S_EV(const TavoroMessage& message);
};

}  // namespace Tavoro::Messages
