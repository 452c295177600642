// A full visitor list: visitor lines separated by ESC, replacing the contents of the list.
#include "FuzzText.h"
#include "messages/S_CV.h"
#include "tools/wxStringSplitter.h"
#include "types/VisitorList.h"

using namespace Tavoro;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Messages::TavoroMessage message =
        Fuzz::messageOf(Messages::MK_CV, Fuzz::textOf(data, size));
    Types::VisitorList list;
    for (int round = 0; round < 2; ++round) {
        Messages::S_CV(message, list);
        // One visitor per record of the copying splitter, in order; counts from this list only.
        const Tools::wxStringSplitter records(message.data(), wxChar(27), false);
        Fuzz::check(list.size() == records.count(), "one visitor per record");
        unsigned i = 0;
        for (const Types::VisitorType& v : list) {
            Fuzz::check(v == Types::VisitorType(records.item(i++)),
                        "visitor parsed from its record");
        }
        Fuzz::check(list.isConsistent(), "indexes and counts match the list");
    }
    return 0;
}
