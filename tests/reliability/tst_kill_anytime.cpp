// Kill at any moment: a worker stores changes through the program's own
// operations and is killed with SIGKILL at random points. After each kill the
// database must open, pass PRAGMA integrity_check and hold every change the
// worker reported as stored; the change in progress is there whole or not at all.

#include "worker_process.h"

#include "data/backup.h"
#include "data/seed.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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
    int backupKills = kSanitized ? 15 : 40;
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

    // Backups and restores killed at any moment: the file and every copy stay
    // usable, and a restore under way is found whole or not at all. The next
    // open and the next backup clear what the killed ones left aside.
    void killDuringBackupOrRestoreLeavesEveryFileUsable()
    {
        QRandomGenerator rng(7);
        QTemporaryDir dir(ScratchRoot());
        const QString path = DatabaseIn(dir.path());
        const QString folder = DefaultBackupFolder(path);
        int restoresCut = 0;
        int restoresWhole = 0;
        for (int round = 1; round <= Plan().backupKills; ++round) {
            QProcess worker;
            StartWorker(worker, Worker::Data, dir.path(), dir.filePath(QStringLiteral("log")), round,
                        {QStringLiteral("--workload"), QStringLiteral("backups")});
            QVERIFY(worker.waitForStarted());
            QVERIFY2(WaitUntilReady(worker, 60000), worker.readAllStandardError().constData());
            QThread::msleep(rng.bounded(5u, 300u));
            QVERIFY2(KillNow(worker), worker.readAllStandardError().constData());
            const QStringList said = QString::fromUtf8(worker.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);

            ConnectionHolder connection;
            OpenDatabase(connection, path);
            QCOMPARE(IntegrityCheck(connection), QStringLiteral("ok"));
            for (const BackupInfo& copy : ListBackups(folder))
                QVERIFY2(CheckDatabaseFile(copy.path).isEmpty(), qPrintable(copy.path));
            if (said.isEmpty() || !said.last().startsWith(u"restore "))
                continue;
            const QStringList restore = said.last().split(u' ');
            ++restoresCut;
            QVERIFY(QFileInfo::exists(restore[1]));
            ConnectionHolder chosen;
            OpenDatabase(chosen, restore[1]);
            const QString now = test::GoalText(connection, Table::Nian, QStringLiteral("2018"));
            const QString restored = test::GoalText(chosen, Table::Nian, QStringLiteral("2018"));
            QVERIFY(restored != restore[2]);
            QVERIFY2(now == restore[2] || now == restored, qPrintable(now));
            if (now == restored)
                QVERIFY(ReadState(connection) == ReadState(chosen));
            restoresWhole += now == restored;
        }
        qInfo("backup and restore kills: %d, restores under way: %d, found done: %d", Plan().backupKills, restoresCut,
              restoresWhole);

        ConnectionHolder connection;
        OpenDatabase(connection, path);
        QVERIFY(MakeBackup(connection, folder, QDateTime(QDate(2999, 1, 1), QTime(9, 0))).ok);
        const QStringList aside = {QStringLiteral("*.part-*"), QStringLiteral("*.restore-*")};
        QCOMPARE(QDir(folder).entryList(aside, QDir::Files) +
                     QDir(QFileInfo(path).path()).entryList(aside, QDir::Files),
                 QStringList());
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
