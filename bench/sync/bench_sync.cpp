// Sync on ten years of log (ten_year_log.h), two computers and a shared folder
// on this machine as in the sync tests: computer A's log meets the folder (its
// snapshot), then works five days (change files); B caught up then. A works one
// more day; the benchmarks time, each round opening its own connection as the
// program's rounds do:
// - SyncApplyADay: B's round that applies that day, on a fresh copy of B's file
//   each time;
// - SyncCatchUpTenYears: a new computer's first round, snapshot and changes;
// - SyncPublishTenYears: the first round of the ten-year log, which writes it
//   as a snapshot.
#include "ten_year_log.h"

#include "reliability/varied_text.h"
#include "sync/sync_computer.h"

#include "data/database_error.h"
#include "data/record_access.h"
#include "sync/sync_folder.h"
#include "sync/sync_round.h"
#include "sync/sync_settings.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <memory>

using namespace jotrak;
using namespace jotrak::test;

namespace {

constexpr int kDaysAfterSnapshot = 5;

struct Scene {
    QTemporaryDir root;
    QString tenYears = root.filePath(QStringLiteral("ten-years/db.mdb"));
    QString folder = root.filePath(QStringLiteral("shared"));
    std::unique_ptr<SyncComputer> a;
    QString bDir = root.filePath(QStringLiteral("b"));
    QString bPrepared = root.filePath(QStringLiteral("b-prepared.mdb"));
    SyncDevice bDevice;
    int dayCommits = 0;
    int dayFiles = 0;
    double snapshotMiB = 0;
    int items = 0;

    Scene()
    {
        bench::VariedText texts;
        QDir().mkpath(QFileInfo(tenYears).path());
        QDir().mkpath(folder);
        {
            ConnectionHolder log;
            OpenDatabase(log, tenYears);
            bench::FillTenYears(log, texts);
            ReadRows(log, {QStringLiteral("SELECT count(*) FROM RiNext"), {}, Table::RiNext},
                     [&](const std::vector<Value>& row) {
                         items = static_cast<int>(row.front().toInteger());
                         return false;
                     });
        }
        const QString aDir = root.filePath(QStringLiteral("a"));
        QDir().mkpath(aDir);
        QFile::copy(tenYears, QDir(aDir).filePath(QStringLiteral("db.mdb")));
        a = std::make_unique<SyncComputer>(aDir, folder);
        a->round();
        const SyncFolderListing listing = ListSyncFolder(folder);
        for (const auto& [device, snapshots] : listing.snapshots)
            for (const auto& [seq, path] : snapshots)
                snapshotMiB = static_cast<double>(QFileInfo(path).size()) / (1024.0 * 1024.0);
        const QDate firstDay(bench::kLastYearOfLog + 1, 1, 3);
        for (int d = 0; d < kDaysAfterSnapshot; ++d) {
            bench::WorkADay(a->log(), texts, firstDay.addDays(d));
            a->round();
        }
        {
            SyncComputer b(bDir, folder);
            b.round();
            bDevice = b.device();
        }
        QFile::copy(b(), bPrepared);
        dayCommits = bench::WorkADay(a->log(), texts, firstDay.addDays(kDaysAfterSnapshot));
        dayFiles = a->round().sent;
    }
    QString b() const { return QDir(bDir).filePath(QStringLiteral("db.mdb")); }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

struct TimedRound {
    SyncRoundReport report;
    double seconds = 0;
};

// A round as the program runs it: a connection of its own, opened for it.
TimedRound RoundOn(const QString& databasePath, const QString& folder, const SyncDevice& device)
{
    QElapsedTimer timer;
    timer.start();
    TimedRound round;
    {
        ConnectionHolder own;
        OpenDatabase(own, databasePath);
        round.report = RunSyncRound(own, folder, device);
    }
    round.seconds = static_cast<double>(timer.nsecsElapsed()) * 1e-9;
    return round;
}

QString ProblemOf(const SyncRoundReport& report, int received, int sent)
{
    if (!report.problems.isEmpty())
        return report.problems.join(u'\n');
    if (report.received != received || report.sent != sent)
        return QStringLiteral("received %1 files (expected %2), sent %3 (expected %4)")
            .arg(report.received)
            .arg(received)
            .arg(report.sent)
            .arg(sent);
    return {};
}

// Whether a computer holds A's log; when not, a few lines of the difference go to the log output.
bool SameLogAsA(const QString& databasePath)
{
    ConnectionHolder connection;
    OpenDatabase(connection, databasePath);
    const QStringList here = SharedContent(connection);
    const QStringList there = SharedContent(TheScene().a->log());
    if (here == there)
        return true;
    const auto showMissing = [](const QStringList& lines, const QStringList& other, const char* where) {
        const QSet<QString> others(other.begin(), other.end());
        int shown = 0;
        for (const QString& line : lines)
            if (!others.contains(line) && shown++ < 5)
                qWarning("only %s: %s", where, qPrintable(line));
    };
    showMissing(here, there, "here");
    showMissing(there, here, "on A");
    return false;
}

void SyncApplyADay(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        QFile::remove(scene.b());
        QFile::copy(scene.bPrepared, scene.b());
        const TimedRound round = RoundOn(scene.b(), scene.folder, scene.bDevice);
        if (const QString problem = ProblemOf(round.report, scene.dayFiles, 0); !problem.isEmpty()) {
            state.SkipWithError(qPrintable(problem));
            return;
        }
        state.SetIterationTime(round.seconds);
    }
    if (!SameLogAsA(scene.b()))
        state.SkipWithError("B's log is not A's after the day");
    state.counters["files"] = scene.dayFiles;
    state.counters["commits"] = scene.dayCommits;
    state.counters["day_items_in_log"] = scene.items;
}

void SyncCatchUpTenYears(benchmark::State& state)
{
    Scene& scene = TheScene();
    // the snapshot and every change file since
    const int files = 1 + static_cast<int>(ListSyncFolder(scene.folder).changes[scene.a->device().id].size());
    int n = 0;
    for (auto _ : state) {
        const QString dir = scene.root.filePath(QStringLiteral("new-%1").arg(n++));
        TimedRound round;
        {
            const SyncComputer fresh(dir, scene.folder); // the program's first start: an empty log
            round = RoundOn(fresh.databasePath(), scene.folder, fresh.device());
            if (const QString problem = ProblemOf(round.report, files, 0); !problem.isEmpty()) {
                state.SkipWithError(qPrintable(problem));
                return;
            }
            if (n == 1 && !SameLogAsA(fresh.databasePath())) {
                state.SkipWithError("the new computer's log is not A's");
                return;
            }
        }
        QDir(dir).removeRecursively();
        state.SetIterationTime(round.seconds);
    }
    state.counters["files"] = files;
    state.counters["snapshot_MiB"] = scene.snapshotMiB;
    state.counters["day_items_in_log"] = scene.items;
}

void SyncPublishTenYears(benchmark::State& state)
{
    Scene& scene = TheScene();
    int n = 0;
    double snapshotMiB = 0;
    for (auto _ : state) {
        const QString dir = scene.root.filePath(QStringLiteral("publish-%1").arg(n));
        const QString folder = scene.root.filePath(QStringLiteral("publish-%1-shared").arg(n++));
        QDir().mkpath(dir);
        QDir().mkpath(folder);
        const QString path = QDir(dir).filePath(QStringLiteral("db.mdb"));
        QFile::copy(scene.tenYears, path);
        const SyncDevice device = ThisDevice(dir);
        const TimedRound round = RoundOn(path, folder, device);
        if (const QString problem = ProblemOf(round.report, 0, 1); !problem.isEmpty()) {
            state.SkipWithError(qPrintable(problem));
            return;
        }
        state.SetIterationTime(round.seconds);
        snapshotMiB =
            static_cast<double>(QFileInfo(SyncFilePath(folder, device.id, 1, ChangeFile::Kind::Snapshot)).size()) /
            (1024.0 * 1024.0);
        QDir(dir).removeRecursively();
        QDir(folder).removeRecursively();
    }
    state.counters["snapshot_MiB"] = snapshotMiB;
    state.counters["log_MiB"] = static_cast<double>(QFileInfo(scene.tenYears).size()) / (1024.0 * 1024.0);
}

} // namespace

BENCHMARK(SyncApplyADay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(SyncCatchUpTenYears)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SyncPublishTenYears)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        TheScene();
    } catch (const DatabaseError& error) {
        qFatal("the ten-year log could not be made: %s", qPrintable(error.message()));
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
