// Searching twenty years of use (7 305 day goals, 146 100 day items, see
// large_database.h): from opening the search's own read-only connection to the
// first 200 hits (or all there are), as the search dialog gets them, for a
// rare and a frequent word, one Chinese character found everywhere and one
// found nowhere (the whole log read), and two words together. Counter hits:
// the hits handed over; total: all found, for the full count.
#include "reliability/large_database.h"

#include "data/record_access.h"
#include "search/search_store.h"

#include <benchmark/benchmark.h>

using namespace jotrak;

namespace {

const QString& Database()
{
    static const QString path = [] {
        const QString file = bench::TwentyYearDatabase();
        ConnectionHolder upgrade; // a file made by an earlier build gets its index
        OpenDatabase(upgrade, file);
        return file;
    }();
    return path;
}

void FirstHits(benchmark::State& state, const char* query, bool countAll)
{
    const QString& database = Database();
    const QStringList words = SearchWords(QString::fromUtf8(query));
    SearchSummary summary;
    int hits = 0;
    for (auto _ : state) {
        ConnectionHolder connection;
        OpenDatabaseForReading(connection, database);
        hits = 0;
        summary =
            SearchLog(connection, words, countAll ? 1000 : kFirstSearchBatch, [&](std::vector<SearchHit>&& batch) {
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

} // namespace

BENCHMARK_CAPTURE(FirstHits, RareWord, "20300615", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FirstHits, FrequentWord, "汇报进度", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FirstHits, OneCharacterEverywhere, "报", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FirstHits, OneCharacterNowhere, "龙", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FirstHits, TwoWords, "客户 20300615", false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FirstHits, FrequentWordCountedWhole, "汇报进度", true)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
