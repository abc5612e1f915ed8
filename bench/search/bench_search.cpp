// Searching twenty years of use (7 305 day goals, 146 100 day items with
// varied texts, see large_database.h) and a heavy user's twenty years (365 250
// day items): from opening the search's own read-only connection to the first
// 200 hits (or all there are), as the search dialog gets them, for queries of
// one, two and four characters found often, rarely (a few dozen times) and
// nowhere (the whole index asked), and two words together; then the full count
// of queries found about 20 000 times, and searches narrowed by the dialog's
// filters. Counter hits: the hits handed over;
// total: all found, for the full count.
#include "reliability/large_database.h"

#include "data/record_access.h"
#include "search/search_store.h"

#include <benchmark/benchmark.h>

using namespace jotrak;

namespace {

const QString& Database(int itemsPerDay)
{
    static std::map<int, QString> paths;
    auto found = paths.find(itemsPerDay);
    if (found == paths.end()) {
        const QString file = bench::TwentyYearDatabase(itemsPerDay);
        ConnectionHolder upgrade; // a file made by an earlier build gets its index
        OpenDatabase(upgrade, file);
        found = paths.emplace(itemsPerDay, file).first;
    }
    return found->second;
}

void Search(benchmark::State& state, int itemsPerDay, const char* query, bool countAll, const SearchFilter& filter = {})
{
    const QString& database = Database(itemsPerDay);
    const QStringList words = SearchWords(QString::fromUtf8(query));
    SearchSummary summary;
    int hits = 0;
    for (auto _ : state) {
        ConnectionHolder connection;
        OpenDatabaseForReading(connection, database);
        hits = 0;
        summary = SearchLog(connection, words, filter, countAll ? 1000 : kFirstSearchBatch,
                            [&](std::vector<SearchHit>&& batch) {
                                hits += static_cast<int>(batch.size());
                                return countAll;
                            });
    }
    if (!summary.indexed)
        state.SkipWithError("the file has no search index");
    state.counters["hits"] = hits;
    if (countAll)
        state.counters["total"] = summary.total;
}

void FirstHits(benchmark::State& state, const char* query)
{
    Search(state, bench::kItemsPerDay, query, false);
}

void HeavyFirstHits(benchmark::State& state, const char* query)
{
    Search(state, bench::kHeavyItemsPerDay, query, false);
}

void CountedWhole(benchmark::State& state, const char* query)
{
    Search(state, bench::kItemsPerDay, query, true);
}

// narrowed by the dialog's filters: one year's done items; notes only
void FilteredFirstHits(benchmark::State& state, const char* query)
{
    SearchFilter filter;
    filter.from = 20300101;
    filter.to = 20301231;
    filter.open = false;
    filter.goals = false;
    Search(state, bench::kItemsPerDay, query, false, filter);
}

void NotesFirstHits(benchmark::State& state, const char* query)
{
    SearchFilter filter;
    filter.goals = filter.contents = false;
    Search(state, bench::kItemsPerDay, query, false, filter);
}

// found often, rarely, nowhere (see varied_text.h: 鑫 belongs to one of the
// rarest words)
#define JOTRAK_SEARCHES(function)                                                                                      \
    BENCHMARK_CAPTURE(function, OneOften, "来")->Unit(benchmark::kMillisecond)->UseRealTime();                         \
    BENCHMARK_CAPTURE(function, OneRarely, "鑫")->Unit(benchmark::kMillisecond)->UseRealTime();                        \
    BENCHMARK_CAPTURE(function, OneNowhere, "龙")->Unit(benchmark::kMillisecond)->UseRealTime();                       \
    BENCHMARK_CAPTURE(function, TwoOften, "来料")->Unit(benchmark::kMillisecond)->UseRealTime();                       \
    BENCHMARK_CAPTURE(function, TwoRarely, "鑫我")->Unit(benchmark::kMillisecond)->UseRealTime();                      \
    BENCHMARK_CAPTURE(function, TwoNowhere, "龙凤")->Unit(benchmark::kMillisecond)->UseRealTime();                     \
    BENCHMARK_CAPTURE(function, FourOften, "被宣岩着")->Unit(benchmark::kMillisecond)->UseRealTime();                  \
    BENCHMARK_CAPTURE(function, FourRarely, "鑫我反特")->Unit(benchmark::kMillisecond)->UseRealTime();                 \
    BENCHMARK_CAPTURE(function, FourNowhere, "龙凤呈祥")->Unit(benchmark::kMillisecond)->UseRealTime();                \
    BENCHMARK_CAPTURE(function, TwoWordsRarely, "来料 鑫")->Unit(benchmark::kMillisecond)->UseRealTime();              \
    BENCHMARK_CAPTURE(function, Date, "20300615")->Unit(benchmark::kMillisecond)->UseRealTime()

JOTRAK_SEARCHES(FirstHits);
JOTRAK_SEARCHES(HeavyFirstHits);

BENCHMARK_CAPTURE(FilteredFirstHits, OneOften, "来")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FilteredFirstHits, OneRarely, "鑫")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(NotesFirstHits, OneRarely, "鑫")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(NotesFirstHits, FourOften, "被宣岩着")->Unit(benchmark::kMillisecond)->UseRealTime();

// each found about 20 000 times
BENCHMARK_CAPTURE(CountedWhole, One, "样")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(CountedWhole, Two, "增样")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(CountedWhole, Four, "技个稻构")->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
