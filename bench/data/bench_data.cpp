#include "shell/work_log.h"
#include "data/record_access.h"
#include "reliability/varied_text.h"
#include "data/seed.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>

#include <algorithm>
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

// Seeding period tables left empty (a new file is made with its keys; a file
// another tool made may have none).
static void BM_SeedOnly(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        ConnectionHolder c;
        OpenDatabase(c, dir.filePath(QStringLiteral("Dt/db.mdb")));
        sqlite3_exec(c.handle(), "DELETE FROM Nian; DELETE FROM Yue; DELETE FROM Ri", nullptr, nullptr, nullptr);
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

// 修改 of a long day goal through the log, as the window stores it: the text
// and the search index (every trigram, character and pair of it) in one
// transaction. longest_stop_ms is the longest the event loop stood still
// meanwhile (the window neither paints nor answers); file_growth_x what the
// file grew by in the first store, as a multiple of the text's UTF-8 bytes.
static void BM_StoreLongGoal(benchmark::State& state)
{
    static int argc = 1;
    static char name[] = "bench_data";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
    WorkLog log;
    log.open(path);
    SeedPeriodTables(log.connection());
    bench::VariedText words;
    QString text;
    while (text.size() < state.range(0))
        text += words.sentence(12) + u'\n';
    text.truncate(static_cast<qsizetype>(state.range(0)));
    const qint64 before = QFileInfo(path).size();
    double growth = 0;
    qint64 longestStop = 0;
    QElapsedTimer sinceTick;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { longestStop = std::max(longestStop, sinceTick.restart()); });
    tick.start(1);
    int round = 0;
    for (auto _ : state) {
        // a different text each time, as a user changes a word or two
        text[round % text.size()] = QChar(u'甲' + round % 50);
        sinceTick.start();
        log.storeGoalText(PeriodKind::Day, QStringLiteral("20200101"), text);
        longestStop = std::max(longestStop, sinceTick.elapsed());
        if (round++ == 0)
            growth = static_cast<double>(QFileInfo(path).size() - before) / static_cast<double>(text.toUtf8().size());
    }
    state.counters["longest_stop_ms"] = static_cast<double>(longestStop);
    state.counters["file_growth_x"] = growth;
}
BENCHMARK(BM_StoreLongGoal)->Arg(10'000)->Arg(100'000)->Arg(600'000)->Unit(benchmark::kMillisecond)->Iterations(5);
