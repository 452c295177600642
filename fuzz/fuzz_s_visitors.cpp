// The chatting visitors: records separated by ESC.
#include "FuzzText.h"
#include "messages/S_VISITORS.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_VISITORS, Fuzz::textOf(data, size));
    const Messages::S_VISITORS list(message);
    Fuzz::check(list.count() == static_cast<int32_t>(list.records().size()), "count is the size");
    return 0;
}
