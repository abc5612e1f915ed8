#include "data/record_access.h"
#include "data/seed.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

using namespace jotrak;

// First start: creating the database file and seeding 7565 period rows.
static void BM_CreateAndSeed(benchmark::State& state)
{
    for (auto _ : state) {
        QTemporaryDir dir;
        ConnectionHolder c;
        OpenDatabase(c, dir.filePath(QStringLiteral("Dt/db.mdb")));
        SeedPeriodTables(c);
    }
}
BENCHMARK(BM_CreateAndSeed)->Unit(benchmark::kMillisecond);

static void BM_SeedOnly(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        ConnectionHolder c;
        OpenDatabase(c, dir.filePath(QStringLiteral("Dt/db.mdb")));
        state.ResumeTiming();
        SeedPeriodTables(c);
    }
}
BENCHMARK(BM_SeedOnly)->Unit(benchmark::kMillisecond);

// Reading all 7305 day goals through the record-access layer.
static void BM_ReadAllDayGoals(benchmark::State& state)
{
    QTemporaryDir dir;
    ConnectionHolder c;
    OpenDatabase(c, dir.filePath(QStringLiteral("Dt/db.mdb")));
    SeedPeriodTables(c);
    for (auto _ : state) {
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectAll(Table::Ri), c);
        int n = 0;
        while (!IsAtEnd(rs)) {
            benchmark::DoNotOptimize(GetFieldValue(rs, QStringLiteral("ming")));
            ++n;
            MoveToNext(rs);
        }
        if (n != 7305)
            state.SkipWithError("wrong row count");
    }
}
BENCHMARK(BM_ReadAllDayGoals)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
