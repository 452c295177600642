#include "messages/S_CV.h"

#include <memory>

#include "types/FieldSpans.h"
#include "types/VisitorList.h"

namespace Tavoro::Messages {

S_CV::S_CV(const TavoroMessage& message, Types::VisitorList& visitors) {
    // A trailing ESC adds no record; an empty record between two ESC does. The records are
    // parsed in place: a full list can hold tens of thousands of them.
    const wxString& data = message.data();
    const Types::FieldSpans lines(data, wxChar(27), false);
    visitors.clear();
    visitors.reserve(lines.count());
    for (unsigned i = 0; i < lines.count(); ++i) {
        visitors.append(std::make_unique<Types::VisitorType>(lines.view(i)));
    }
}

}  // namespace Tavoro::Messages
