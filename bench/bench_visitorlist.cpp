// Costs of the visitor list: parsing visitor lines, replacing the whole list ("@CV"), and
// single events ("@EV" update, "@ER" removal) with few and with many listed visitors.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "VisitorLines.h"
#include "messages/S_CV.h"
#include "messages/S_EV.h"
#include "messages/TavoroMessage.h"
#include "types/VisitorList.h"
#include "types/VisitorType.h"

using namespace Tavoro::Messages;
using namespace Tavoro::Types;

using Tavoro::Bench::fullListData;
using Tavoro::Bench::visitorLine;

namespace {

void BM_ParseVisitorLine(benchmark::State& state) {
    const wxString line = visitorLine(12345, 3);
    for (auto _ : state) {
        VisitorType v(line);
        benchmark::DoNotOptimize(v.status());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ParseVisitorLine);

void BM_FullList(benchmark::State& state) {
    const TavoroMessage message(MK_CV, fullListData(static_cast<int>(state.range(0))));
    VisitorList list;
    for (auto _ : state) {
        S_CV cv(message, list);
        benchmark::DoNotOptimize(list.size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FullList)->Arg(10000)->Arg(50000)->Unit(benchmark::kMillisecond);

// "@EV" for a listed visitor, the event already parsed: the list's own cost.
void BM_EventUpdateApply(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    VisitorList list;
    S_CV(TavoroMessage(MK_CV, fullListData(count)), list);
    std::vector<std::unique_ptr<S_EV>> events;
    for (int i = 0; i < 64; ++i) {
        events.push_back(std::make_unique<S_EV>(
            TavoroMessage(MK_EV, visitorLine((i * 7919) % count, ((i * 7919) % count) % 20))));
    }
    size_t next = 0;
    for (auto _ : state) {
        auto outcome = list.applyEvent(*events[next]);
        benchmark::DoNotOptimize(outcome.visitor);
        next = (next + 1) % events.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventUpdateApply)->Arg(50)->Arg(50000)->Unit(benchmark::kMicrosecond);

// "@EV" for a listed visitor, from the received text: parse the event, then apply it.
void BM_EventUpdateFromText(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    VisitorList list;
    S_CV(TavoroMessage(MK_CV, fullListData(count)), list);
    std::vector<TavoroMessage> messages;
    for (int i = 0; i < 64; ++i) {
        messages.emplace_back(MK_EV, visitorLine((i * 7919) % count, ((i * 7919) % count) % 20));
    }
    size_t next = 0;
    for (auto _ : state) {
        auto outcome = list.applyEvent(S_EV(messages[next]));
        benchmark::DoNotOptimize(outcome.visitor);
        next = (next + 1) % messages.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventUpdateFromText)->Arg(50)->Arg(50000)->Unit(benchmark::kMicrosecond);

// "@ER" of a listed visitor. To keep the list at its size, the removed visitor is appended
// again, so each iteration is one removal plus one append (no parsing).
void BM_EventRemoveAndAppend(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    VisitorList list;
    S_CV(TavoroMessage(MK_CV, fullListData(count)), list);
    std::vector<wxString> keys;
    for (const VisitorType& v : list)
        keys.push_back(v.visitorKey());
    size_t next = 0;
    for (auto _ : state) {
        std::unique_ptr<VisitorType> gone = list.removeByKey(keys[next]);
        list.append(std::move(gone));
        next = (next + 7919) % keys.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventRemoveAndAppend)->Arg(50)->Arg(50000)->Unit(benchmark::kMicrosecond);

// "@ER" alone: removal from a list that starts with 50,000 plus one visitor per iteration, so
// it holds at least 50,000 throughout.
constexpr int kRemovals = 10000;
void BM_EventRemove(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const int extra = kRemovals;
    VisitorList list;
    S_CV(TavoroMessage(MK_CV, fullListData(count + extra)), list);
    std::vector<wxString> keys;
    for (const VisitorType& v : list)
        keys.push_back(v.visitorKey());
    size_t next = 0;
    for (auto _ : state) {
        if (next == static_cast<size_t>(extra)) {
            state.SkipWithError("ran out of visitors to remove");
            break;
        }
        auto gone = list.removeByKey(keys[(next * 7919) % keys.size()]);
        benchmark::DoNotOptimize(gone.get());
        ++next;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EventRemove)
    ->Arg(50000)
    ->Iterations(kRemovals)
    ->Repetitions(5)
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
