#include "messages/S_EV.h"

namespace Tavoro::Messages {

S_EV::S_EV(const TavoroMessage& message) {
    const wxString& data = message.data();
    parseLine(std::wstring_view(data.wc_str(), data.length()), 16);
}

}  // namespace Tavoro::Messages
