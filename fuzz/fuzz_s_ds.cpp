// Day summaries: records separated by ESC, alert totals inside.
#include "FuzzText.h"
#include "messages/S_DS.h"
#include "types/DaySummary.h"

#include <vector>

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_DS, Fuzz::textOf(data, size));
    const Messages::S_DS summaries(message);
    Fuzz::check(summaries.count() == static_cast<int32_t>(summaries.summaries().size()),
                "count is the size");
    // The totals of several sites are made from the same texts.
    std::vector<const Types::DaySummary*> parts;
    for (const auto& summary : summaries.summaries())
        parts.push_back(&summary);
    const Types::DaySummary total = Types::DaySummary::total(parts);
    Fuzz::check(!total.currentVisitors.empty() && !total.peakCount.empty(), "totals are numbers");
    return 0;
}
