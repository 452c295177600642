// The logged-in operators: records separated by ESC.
#include "FuzzText.h"
#include "messages/S_CLIENTS.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_CLIENTS, Fuzz::textOf(data, size));
    const Messages::S_CLIENTS clients(message);
    Fuzz::check(clients.count() == static_cast<int32_t>(clients.operators().size()),
                "count is the size");
    return 0;
}
