// Kill at any moment: a worker stores changes through the program's own
// operations and is killed with SIGKILL at random points. After each kill the
// database must open, pass PRAGMA integrity_check, hold every change the
// worker reported as stored, and its search index must hold the texts of the
// tables; the change in progress is there whole or not at all. The same for a
// kill while a file of version 1 is upgraded.

#include "worker_process.h"

#include "data/seed.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <cstdio>

using namespace jotrak;
using namespace jotrak::reliability;

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// Kills in the running workload; every uiEvery-th one drives the main window.
// A sanitized build runs several times slower, so it makes fewer.
struct KillPlan {
    int kills = kSanitized ? 80 : 240;
    int uiEvery = kSanitized ? 4 : 6;
    int firstStartKills = kSanitized ? 4 : 10;
};

// JOTRAK_KILLS=n asks for n kills instead; anything but a positive number is refused.
KillPlan Plan()
{
    KillPlan plan;
    if (!qEnvironmentVariableIsSet("JOTRAK_KILLS"))
        return plan;
    bool ok = false;
    plan.kills = qEnvironmentVariableIntValue("JOTRAK_KILLS", &ok);
    if (!ok || plan.kills <= 0)
        plan.kills = 0;
    return plan;
}

// True when the process ended by the kill.
bool KillNow(QProcess& process)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::CrashExit;
}

// Runs a data worker that stores nothing and ends: a plain start on the folder.
void RunToEnd(const QString& exeDir)
{
    QProcess worker;
    StartWorker(worker, Worker::Data, exeDir, QDir(exeDir).filePath(QStringLiteral("start.log")), 0,
                {QStringLiteral("--ops"), QStringLiteral("0")});
    QVERIFY(worker.waitForFinished(60000));
    QVERIFY2(worker.exitCode() == 0, worker.readAllStandardError().constData());
}

struct Totals {
    int kills = 0;
    int checks = 0;
    int lostChanges = 0;
    int storedChanges = 0;
    int cutInProgress = 0; // kills that found a change begun and not reported
};

} // namespace

class TestKillAnytime : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (Worker worker : {Worker::Data, Worker::Ui})
            QVERIFY2(QFileInfo::exists(WorkerPath(worker)), qPrintable(WorkerPath(worker)));
    }

    // The first start creates and seeds the file; a kill during it leaves either
    // no database or a whole one: every period table seeded or none.
    void killDuringFirstStartLeavesNoHalfFile()
    {
        QRandomGenerator rng(20180101);
        QTemporaryDir dir(ScratchRoot());
        QDir(dir.path()).mkpath(QStringLiteral("Dt"));
        const QString path = DatabaseIn(dir.path());
        int whole = 0;
        for (int round = 0; round < Plan().firstStartKills; ++round) {
            QFile::remove(path);
            QFile::remove(path + QStringLiteral("-journal"));
            QProcess worker;
            StartWorker(worker, Worker::Data, dir.path(), dir.filePath(QStringLiteral("log")), round);
            QVERIFY(worker.waitForStarted());
            QThread::msleep(rng.bounded(5u, 250u));
            KillNow(worker);

            if (!QFileInfo::exists(path))
                continue;
            ConnectionHolder connection;
            OpenDatabase(connection, path);
            QCOMPARE(IntegrityCheck(connection), QStringLiteral("ok"));
            const DatabaseState state = ReadState(connection);
            const std::size_t days = state.at(Table::Ri).size();
            QVERIFY2(days == 0 || days == 7305, qPrintable(QString::number(days)));
            QCOMPARE(state.at(Table::Yue).size(), days == 0 ? 0u : 240u);
            QCOMPARE(state.at(Table::Nian).size(), days == 0 ? 0u : 20u);
            QCOMPARE(state.at(Table::An).size(), 18u);
            whole += days != 0;
        }
        qInfo("first-start kills: %d, seeded databases found: %d", Plan().firstStartKills, whole);

        // The next first start that runs to its end clears what the killed ones left.
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-journal"));
        RunToEnd(dir.path());
        QCOMPARE(QDir(dir.filePath(QStringLiteral("Dt"))).entryList({QStringLiteral("db.mdb.new-*")}, QDir::Files),
                 QStringList());
    }

    // Mended: a first start killed while it built the file left db.mdb.new-<pid>
    // and its journal in Dt for good. A later first start removes those of
    // processes that are gone, and leaves the file another running program is
    // building right now.
    void filesOfInterruptedFirstStartsAreCleared()
    {
        QTemporaryDir dir(ScratchRoot());
        const QDir dt(dir.filePath(QStringLiteral("Dt")));
        QVERIFY(dt.mkpath(QStringLiteral(".")));
        QProcess gone;
        gone.start(QStringLiteral("true"));
        QVERIFY(gone.waitForStarted());
        const qint64 gonePid = gone.processId();
        QVERIFY(gone.waitForFinished());
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(running.waitForStarted());
        const QString stale = QStringLiteral("db.mdb.new-%1").arg(gonePid);
        const QString busy = QStringLiteral("db.mdb.new-%1").arg(running.processId());
        for (const QString& name : {stale, stale + QStringLiteral("-journal"), busy}) {
            QFile file(dt.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }

        RunToEnd(dir.path());
        QCOMPARE(dt.entryList({QStringLiteral("db.mdb*")}, QDir::Files), (QStringList{QStringLiteral("db.mdb"), busy}));
        running.kill();
        running.waitForFinished();
    }

    // A file of version 1 gets its search index as a worker opens it; killed
    // at random moments of that, it is whole at version 1 or at version 2,
    // with every row and, at version 2, the index in step.
    void killDuringTheUpgradeLeavesOneVersionOrTheOther()
    {
        QTemporaryDir dir(ScratchRoot());
        const QString path = DatabaseIn(dir.path());
        const QString v1 = dir.filePath(QStringLiteral("v1.mdb"));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("Dt")));
        {
            ConnectionHolder connection;
            OpenDatabase(connection, v1);
            SeedPeriodTables(connection);
        }
        test::DropToVersion1(v1);
        // enough items for the upgrade to take a few tenths of a second
        test::RunSql(v1, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
                         "INSERT INTO RiNext(ShangId, nr, wcqk) SELECT 1 + i % 7305, 'item ' || i || ' 联系客户', "
                         "CASE WHEN i % 3 THEN '已完成' END FROM n");
        QRandomGenerator rng(2);
        QList<int> versions;
        int cut = 0; // kills inside the upgrade's transaction: its journal left behind
        for (int round = 0; round < Plan().firstStartKills; ++round) {
            QDir(dir.filePath(QStringLiteral("Dt/backup"))).removeRecursively();
            QFile::remove(path);
            QVERIFY(QFile::copy(v1, path));
            QProcess worker;
            StartWorker(worker, Worker::Data, dir.path(), dir.filePath(QStringLiteral("log")), round,
                        {QStringLiteral("--ops"), QStringLiteral("0")});
            QVERIFY(worker.waitForStarted());
            QThread::msleep(rng.bounded(20u, 600u));
            KillNow(worker);

            cut += QFileInfo::exists(path + QStringLiteral("-journal"));
            test::RunSql(path,
                         "SELECT count(*) FROM sqlite_master"); // the engine alone rolls back a change the kill cut
            ConnectionHolder connection;
            OpenDatabaseForReading(connection, path); // as it is: no upgrade
            versions << test::FileVersion(connection);
            QCOMPARE(IntegrityCheck(connection), QStringLiteral("ok"));
            QCOMPARE(test::CountRows(connection, Table::RiNext), 40000);
            CloseConnection(connection);
            OpenDatabase(connection, path); // upgrades what is still at version 1
            QCOMPARE(test::FileVersion(connection), 2);
            QCOMPARE(test::SearchIndexProblem(connection), QString());
        }
        qInfo() << "versions found after the kills:" << versions << "transactions cut:" << cut;
        QVERIFY(!versions.contains(-1));
        QVERIFY(std::all_of(versions.begin(), versions.end(), [](int v) { return v == 1 || v == 2; }));
    }

    void everyReportedChangeSurvivesAKill()
    {
        const KillPlan plan = Plan();
        QVERIFY2(plan.kills > 0, "JOTRAK_KILLS must be a positive number");
        QTemporaryDir dir(ScratchRoot());
        const QString path = DatabaseIn(dir.path());
        DatabaseState expected;
        {
            ConnectionHolder connection;
            OpenDatabase(connection, path);
            SeedPeriodTables(connection);
            expected = ReadState(connection);
        }

        QRandomGenerator rng(42);
        Totals totals;
        QStringList failures;
        for (int round = 0; round < plan.kills; ++round) {
            const bool ui = round % plan.uiEvery == plan.uiEvery - 1;
            const QString log = dir.filePath(QStringLiteral("log-%1").arg(round));
            QProcess worker;
            StartWorker(worker, ui ? Worker::Ui : Worker::Data, dir.path(), log, rng.generate());
            QVERIFY(worker.waitForStarted());
            // Mostly while changes are being stored; now and then while it opens the file.
            if (rng.bounded(8) == 0) {
                QThread::msleep(rng.bounded(ui ? 300u : 30u));
            } else {
                QVERIFY2(WaitUntilReady(worker, 60000), worker.readAllStandardError().constData());
                QThread::msleep(rng.bounded(ui ? 300u : 100u));
            }
            QVERIFY2(worker.state() == QProcess::Running,
                     qPrintable(QStringLiteral("the worker stopped by itself: ") +
                                QString::fromLocal8Bit(worker.readAllStandardError())));
            totals.kills += KillNow(worker);

            ConnectionHolder connection;
            OpenDatabase(connection, path);
            const QString integrity = IntegrityCheck(connection);
            const QString index = test::SearchIndexProblem(connection);
            const DatabaseState actual = ReadState(connection);
            CloseConnection(connection);
            ++totals.checks;

            const LogReading reading = ReadLog(log);
            QVERIFY2(reading.malformed.isEmpty(), qPrintable(reading.malformed.join(u'\n')));
            for (const Change& change : reading.stored)
                Apply(expected, change);
            totals.storedChanges += static_cast<int>(reading.stored.size());
            totals.cutInProgress += reading.pending.has_value();
            const Comparison comparison = CompareWithLog(actual, expected, reading.pending);
            if (integrity != u"ok")
                failures << QStringLiteral("kill %1: integrity_check: %2").arg(round).arg(integrity);
            if (!index.isEmpty())
                failures << QStringLiteral("kill %1: search index: %2").arg(round).arg(index);
            if (!comparison.matches()) {
                totals.lostChanges += comparison.differingRows;
                failures << QStringLiteral("kill %1 (%2): %3")
                                .arg(round)
                                .arg(ui ? QStringLiteral("ui") : QStringLiteral("data"), comparison.firstDifference);
            }
            // the file as it now is, once checked, is the base of the next round
            expected = actual;
        }
        std::printf("kills: %d, checks: %d, lost changes: %d\n", totals.kills, totals.checks, totals.lostChanges);
        qInfo("changes reported stored: %d; kills that cut a change in progress: %d", totals.storedChanges,
              totals.cutInProgress);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 10).join(u'\n')));
        QCOMPARE(totals.kills, plan.kills); // every round ended by a kill
        QVERIFY2(totals.storedChanges > totals.kills, "the workload stored too little to prove anything");
    }
};

QTEST_GUILESS_MAIN(TestKillAnytime)
#include "tst_kill_anytime.moc"
