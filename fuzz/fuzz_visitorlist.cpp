// The visitor list fed a stream of "@CV", "@EV" and "@ER" messages (separated by NUL bytes),
// checked after every message against a plain list searched from the front.
#include <map>
#include <vector>

#include "FuzzText.h"
#include "messages/S_CV.h"
#include "messages/S_EV.h"
#include "tools/wxStringSplitter.h"
#include "types/VisitorList.h"

using namespace Tavoro;

namespace {

struct PlainList {
    std::vector<Types::VisitorType> rows;

    void fullList(const wxString& data) {
        rows.clear();
        const Tools::wxStringSplitter records(data, wxChar(27), false);
        for (unsigned i = 0; i < records.count(); ++i)
            rows.emplace_back(records.item(i));
    }
    void event(const Messages::S_EV& ev) {
        for (Types::VisitorType& row : rows) {
            if (row.site() == ev.site() && row.numberText() == ev.numberText()) {
                row.update(ev);
                return;
            }
        }
        rows.emplace_back(ev);
    }
    void left(const wxString& key) {
        for (auto it = rows.begin(); it != rows.end(); ++it) {
            if (it->visitorKey() == key) {
                rows.erase(it);
                return;
            }
        }
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Types::VisitorList list;
    PlainList plain;
    size_t start = 0;
    while (start <= size) {
        size_t end = start;
        while (end < size && data[end] != 0)
            ++end;
        const Messages::TavoroMessage message(Fuzz::textOf(data + start, end - start));
        start = end + 1;
        switch (message.kind()) {
            case Messages::MK_CV:
                Messages::S_CV(message, list);
                plain.fullList(message.data());
                break;
            case Messages::MK_EV: {
                const Messages::S_EV ev(message);
                const auto outcome = list.applyEvent(ev);
                Fuzz::check(outcome.visitor != nullptr, "an event always lands on a visitor");
                plain.event(ev);
                break;
            }
            case Messages::MK_ER: {
                const auto removed = list.removeByKey(message.data());
                const size_t before = plain.rows.size();
                plain.left(message.data());
                Fuzz::check((removed != nullptr) == (plain.rows.size() != before),
                            "removed exactly when a visitor has the key");
                break;
            }
            default:
                continue;
        }
        Fuzz::check(list.size() == plain.rows.size(), "same number of visitors");
        size_t i = 0;
        std::map<wxString, int32_t> counts;
        for (const Types::VisitorType& v : list) {
            Fuzz::check(v == plain.rows[i++], "same visitors in the same order");
            ++counts[v.site()];
        }
        Fuzz::check(counts == list.siteCounts(), "site counts are those of the list");
        Fuzz::check(list.isConsistent(), "indexes match the list");
    }
    return 0;
}
