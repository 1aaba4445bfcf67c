// "Find" over a full store, each criterion alone and all together, beside a
// plain pass over the records and a plain memmem scan of the same notes; and
// the viewer's layout of a document.
#include "bench/FullStore.h"
#include "core/encoding/CodePage.h"
#include "core/layout/DocumentLayout.h"
#include "core/query/Query.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace kaldex;

namespace {

DocumentStore &fullStore()
{
    static std::unique_ptr<DocumentStore> store = [] {
        auto made = std::make_unique<DocumentStore>();
        bench::fillBenchStore(*made);
        return made;
    }();
    return *store;
}

// A long fragment that few notes hold, and a short word that many do.
const std::string &fragment(int which)
{
    static const std::string fragments[] = {cp1251FromUtf8("точностью рекомендованные значения"),
                                            cp1251FromUtf8("вязкость")};
    return fragments[which];
}

void runFind(benchmark::State &state, const QueryInput &input)
{
    DocumentStore &store = fullStore();
    for (auto _ : state) {
        QueryOutcome outcome = runQuery(store, input);
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["hits"] = store.foundCount;
}

void BM_FindNumber(benchmark::State &state)
{
    QueryInput input;
    input.byNumber = true;
    input.number = "2500";
    runFind(state, input);
}
BENCHMARK(BM_FindNumber)->Unit(benchmark::kMicrosecond);

void BM_FindCategories(benchmark::State &state)
{
    QueryInput input;
    input.categories[Vis] = input.categories[The] = true;
    runFind(state, input);
}
BENCHMARK(BM_FindCategories)->Unit(benchmark::kMicrosecond);

void BM_FindOneSubstance(benchmark::State &state)
{
    QueryInput input;
    input.bySubstances = true;
    input.substance1 = "ar";
    input.substance2 = "7";
    runFind(state, input);
}
BENCHMARK(BM_FindOneSubstance)->Unit(benchmark::kMicrosecond);

void BM_FindSubstancePair(benchmark::State &state)
{
    QueryInput input;
    input.bySubstances = true;
    input.substance1 = "Ar";
    input.substance2 = "Kr";
    runFind(state, input);
}
BENCHMARK(BM_FindSubstancePair)->Unit(benchmark::kMicrosecond);

void BM_FindAuthor(benchmark::State &state)
{
    QueryInput input;
    input.byAuthor = true;
    input.author = "Wake";
    runFind(state, input);
}
BENCHMARK(BM_FindAuthor)->Unit(benchmark::kMicrosecond);

void BM_FindYears(benchmark::State &state)
{
    QueryInput input;
    input.byUpperYear = input.byLowerYear = true;
    input.upperYear = "1980";
    input.lowerYear = "1960";
    runFind(state, input);
}
BENCHMARK(BM_FindYears)->Unit(benchmark::kMicrosecond);

void BM_FindText(benchmark::State &state)
{
    QueryInput input;
    input.text = fragment(static_cast<int>(state.range(0)));
    runFind(state, input);
}
BENCHMARK(BM_FindText)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The floor for the criteria other than text: one pass over the records that
// reads a field of each and keeps a list of the hits, nothing else.
void BM_PassFloor(benchmark::State &state)
{
    DocumentStore &store = fullStore();
    std::vector<int32_t> found(static_cast<size_t>(DocumentStore::kSlots));
    for (auto _ : state) {
        size_t hits = 0;
        for (int slot = 1; slot <= store.documentCount; ++slot)
            if (store.record(slot).year >= 1960)
                found[hits++] = slot;
        benchmark::DoNotOptimize(found.data());
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_PassFloor)->Unit(benchmark::kMicrosecond);

// The floor for the text search: memmem over every notes text, nothing else.
void BM_MemmemFloor(benchmark::State &state)
{
    DocumentStore &store = fullStore();
    const std::string &text = fragment(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        int hits = 0;
        for (int slot = 1; slot <= store.documentCount; ++slot) {
            const FieldText &notes = store.record(slot).notes;
            hits += memmem(notes.data(), notes.size(), text.data(), text.size()) != nullptr;
        }
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_MemmemFloor)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_FindEverything(benchmark::State &state)
{
    QueryInput input;
    input.categories[Vis] = true;
    input.bySubstances = true;
    input.substance1 = "Ar";
    input.substance2 = "7";
    input.byAuthor = true;
    input.author = "K";
    input.byUpperYear = input.byLowerYear = true;
    input.upperYear = "2000";
    input.lowerYear = "1950";
    input.text = cp1251FromUtf8("вязкость");
    runFind(state, input);
}
BENCHMARK(BM_FindEverything)->Unit(benchmark::kMicrosecond);

void BM_LayoutLongDocument(benchmark::State &state)
{
    DocumentRecord record = fullStore().record(1);
    for (int i = 0; i < 20; ++i)
        record.abstract = record.abstract + std::string(record.abstract.substr(0, 200)) + "\n";
    for (auto _ : state) {
        auto lines = layoutDocument(record, 1);
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_LayoutLongDocument)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
