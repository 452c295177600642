// One keystroke in the visitor filter box: the typed text tested against the texts the grid
// shows of every visitor (the default columns: "Username", "No", "Visit", "DNS", "On Page",
// "Views", "Start Time", "Last Time", "Browser", "Op Sys", "Location", "Referrer"), keeping the
// visitors that pass. The grid's rebuild of the passing rows is timed with the grid itself
// (gui_test_visitor_grid, "slowest filter keystroke").
#include <benchmark/benchmark.h>

#include <vector>

#include "VisitorLines.h"
#include "messages/S_CV.h"
#include "messages/TavoroMessage.h"
#include "types/TextFilter.h"
#include "types/VisitorList.h"
#include "types/VisitorType.h"

using namespace Tavoro::Messages;
using namespace Tavoro::Types;

using Tavoro::Bench::fullListData;
using Tavoro::Bench::visitorLine;

namespace {

const unsigned kShownFields[] = {
    VisitorFields::FIELD_USERNAME,   VisitorFields::FIELD_NUMBER,
    VisitorFields::FIELD_VISIT,      VisitorFields::FIELD_DNS,
    VisitorFields::FIELD_ON_PAGE,    VisitorFields::FIELD_PAGE_VIEWS,
    VisitorFields::FIELD_START_TIME, VisitorFields::FIELD_LAST_TIME,
    VisitorFields::FIELD_BROWSER,    VisitorFields::FIELD_OP_SYS,
    VisitorFields::FIELD_LOCATION,   VisitorFields::FIELD_REFERRER,
};

std::vector<const VisitorType*> passing(const VisitorList& list, const TextFilter& filter) {
    std::vector<const VisitorType*> out;
    for (const VisitorType& v : list) {
        for (const unsigned field : kShownFields) {
            if (filter.matches(v.fieldView(field))) {
                out.push_back(&v);
                break;
            }
        }
    }
    return out;
}

void filterBench(benchmark::State& state, const wxString& typed) {
    const int count = static_cast<int>(state.range(0));
    VisitorList list;
    S_CV(TavoroMessage(MK_CV, fullListData(count)), list);
    const TextFilter filter(typed);
    size_t kept = 0;
    for (auto _ : state) {
        const auto rows = passing(list, filter);
        kept = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["kept"] = static_cast<double>(kept);
}

// A text that rarely matches: every field of every visitor is searched.
void BM_FilterKeystrokeNoMatch(benchmark::State& state) {
    filterBench(state, "zebra");
}
BENCHMARK(BM_FilterKeystrokeNoMatch)->Arg(10000)->Unit(benchmark::kMillisecond);

// A typical narrowing text, in another case than the records.
void BM_FilterKeystrokeSome(benchmark::State& state) {
    filterBench(state, "USER12");
}
BENCHMARK(BM_FilterKeystrokeSome)->Arg(10000)->Unit(benchmark::kMillisecond);

// A text beyond ASCII: the slow path that lowers each text.
void BM_FilterKeystrokeNonAscii(benchmark::State& state) {
    filterBench(state, L"\u00fcber");
}
BENCHMARK(BM_FilterKeystrokeNonAscii)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
