#include "messages/S_CV.h"

#include <memory>

#include "tools/wxStringSplitter.h"
#include "types/VisitorList.h"

namespace Tavoro::Messages {

S_CV::S_CV(const TavoroMessage& message, Types::VisitorList& visitors) {
    // A trailing ESC adds no record; an empty record between two ESC does.
    const Tools::wxStringSplitter lines(message.data(), wxChar(27), false);
    visitors.clear();
    visitors.reserve(lines.count());
    for (unsigned i = 0; i < lines.count(); ++i) {
        visitors.append(std::make_unique<Types::VisitorType>(lines.item(i)));
    }
}

}  // namespace Tavoro::Messages
