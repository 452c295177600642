// A visitor event: one visitor line of 17 fields or more.
#include "FuzzText.h"
#include "messages/S_EV.h"
#include "types/VisitorType.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_EV, Fuzz::textOf(data, size));
    const Messages::S_EV event(message);
    const Types::VisitorType visitor(event);
    Fuzz::check(visitor.status() >= 0 && visitor.status() < Types::VisitorType::kStatusCount,
                "status code in range");
    Fuzz::check(visitor.visitorKey().StartsWith(visitor.site()), "site is the start of the key");
    Fuzz::check(visitor.searchKeywords().length() <= visitor.referrer().length(),
                "search terms come from the referrer");
    Types::VisitorType copy;
    copy.update(event);
    Fuzz::check(copy == visitor, "update gives the same visitor as building");
    return 0;
}
