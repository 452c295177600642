// Day summaries: records separated by ESC, alert totals inside.
#include "FuzzText.h"
#include "messages/S_DS.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_DS, Fuzz::textOf(data, size));
    const Messages::S_DS summaries(message);
    Fuzz::check(summaries.count() == static_cast<int32_t>(summaries.summaries().size()),
                "count is the size");
    return 0;
}
