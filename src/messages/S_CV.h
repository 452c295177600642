#pragma once

#include "messages/TavoroMessage.h"

namespace Tavoro::Types {
class VisitorList;
}

namespace Tavoro::Messages {

// "@CV": the full list of current visitors, visitor lines separated by ESC. Constructing it
// replaces the contents of the given visitor list: every listed visitor is deleted, each line
// (an empty or short one gives an empty visitor) is appended in order, and the site counts are
// rebuilt from the new list. An empty list leaves no visitor and no count.
class S_CV {
  public:
    S_CV(const TavoroMessage& message, Types::VisitorList& visitors);
    virtual ~S_CV() = default;
};

}  // namespace Tavoro::Messages
