// SIGKILL at random points: the file stays sound, with its index and every reported change.

#include "store_worker.h"
#include "support/bytes.h"
#include "data/backup.h"
#include "data/schema.h"
#include "data/seed.h"

#include <QDeadlineTimer>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace jotrak;
using namespace jotrak::test;

namespace {

constexpr int kFirstStartKills = 10;
constexpr int kKills = 200;
constexpr int kBackupKills = 40;

// Kills the worker after ms milliseconds, reading what it prints meanwhile.
void KillAfter(QProcess& worker, int ms)
{
    for (QDeadlineTimer until(ms); !until.hasExpired();)
        worker.waitForReadyRead(static_cast<int>(until.remainingTime()));
    QVERIFY2(worker.state() == QProcess::Running, worker.readAllStandardError().constData());
    ::kill(static_cast<pid_t>(worker.processId()), SIGKILL);
    QVERIFY(worker.waitForFinished(10000) && worker.exitStatus() == QProcess::CrashExit);
}

} // namespace

class TestKillAnytime : public QObject {
    Q_OBJECT

private slots:
    // A killed first start leaves no file or a whole one; the next removes leftovers of dead processes only.
    void killedFirstStartsLeaveNoHalfFile()
    {
        QTemporaryDir dir(ScratchRoot());
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        QRandomGenerator rng(20180101);
        for (int round = 0; round < kFirstStartKills; ++round) {
            QFile::remove(path);
            QProcess worker;
            StartWorker(worker, {path, QStringLiteral("1")});
            KillAfter(worker, static_cast<int>(rng.bounded(5u, 150u)));
            if (!QFileInfo::exists(path))
                continue;
            ConnectionHolder c;
            OpenDatabase(c, path);
            QCOMPARE(IntegrityCheck(c), QStringLiteral("ok"));
            QVERIFY(QList<int>({0, 7305}).contains(CountRows(c, Table::Ri)));
            QCOMPARE(CountRows(c, Table::An), 18);
        }
        QProcess running;
        running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
        QVERIFY(running.waitForStarted());
        const QString busy = QStringLiteral("db.mdb.new-%1").arg(running.processId());
        for (const QString& name :
             {QStringLiteral("db.mdb.new-999999999"), QStringLiteral("db.mdb.new-999999999-journal"), busy})
            QVERIFY(WriteBytes(dir.filePath(QStringLiteral("Dt/") + name), "x"));
        QFile::remove(path);
        QProcess worker;
        StartWorker(worker, {path, QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0")});
        QVERIFY(worker.waitForFinished() && worker.exitCode() == 0);
        QCOMPARE(QDir(dir.filePath(QStringLiteral("Dt"))).entryList(QDir::Files), (QStringList{"db.mdb", busy}));
        running.kill();
        running.waitForFinished();
    }

    // Killed while it upgrades a file of version 1, the file is whole at version 1 or 2.
    void killDuringTheUpgradeLeavesOneVersionOrTheOther()
    {
        QTemporaryDir dir(ScratchRoot());
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        const QString v1 = dir.filePath(QStringLiteral("v1.mdb"));
        {
            ConnectionHolder c;
            OpenDatabase(c, v1);
            SeedPeriodTables(c);
        }
        DropToVersion1(v1);
        // enough items for the upgrade to take a few tenths of a second
        RunSql(v1, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 40000) "
                   "INSERT INTO RiNext(ShangId, nr, wcqk) SELECT 1 + i % 7305, 'item ' || i || ' 联系客户', '' FROM n");
        QRandomGenerator rng(2);
        QList<int> versions;
        for (int round = 0; round < kFirstStartKills; ++round) {
            QDir(dir.filePath(QStringLiteral("Dt"))).removeRecursively();
            QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("Dt"))) && QFile::copy(v1, path));
            QProcess worker;
            StartWorker(worker, {path, QStringLiteral("1")});
            KillAfter(worker, static_cast<int>(rng.bounded(20u, 600u)));
            RunSql(path, "SELECT 1 FROM sqlite_master"); // the engine alone rolls back a change the kill cut
            ConnectionHolder c;
            OpenDatabaseForReading(c, path); // as it is: no upgrade
            versions << FileVersion(c);
            QCOMPARE(IntegrityCheck(c), QStringLiteral("ok"));
            CloseConnection(c);
            OpenDatabase(c, path);
            QCOMPARE(FileVersion(c), kSchemaVersion);
            QCOMPARE(SearchIndexProblem(c), QString());
        }
        qInfo() << "versions after the kills:" << versions;
        QCOMPARE(versions.count(1) + versions.count(kSchemaVersion), versions.size());
    }

    void everyReportedChangeSurvivesAKill()
    {
        QTemporaryDir dir(ScratchRoot());
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        Facts facts;
        {
            ConnectionHolder c;
            OpenDatabase(c, path);
            SeedPeriodTables(c);
            facts = ReadFacts(c, Lane{});
        }
        QRandomGenerator rng(42);
        qint64 next = 1;
        int reported = 0;
        QStringList failures;
        for (int round = 0; round < kKills; ++round) {
            QProcess worker;
            StartWorker(worker, {path, QString::number(next)});
            // mostly while it changes rows, now and then while it opens the file
            if (rng.bounded(8) != 0)
                QVERIFY2(worker.waitForReadyRead(30000), worker.readAllStandardError().constData());
            KillAfter(worker, static_cast<int>(rng.bounded(1u, 50u)));
            const qint64 first = next;
            next = ApplyReport(facts, worker.readAllStandardOutput(), next);
            reported += static_cast<int>(next - first);
            ConnectionHolder c;
            OpenDatabase(c, path);
            const QString integrity = IntegrityCheck(c) + SearchIndexProblem(c); // "ok" and nothing
            const Facts file = ReadFacts(c, Lane{});
            const QStringList differing = Differing(facts, file);
            const QString inProgress = file.value(differing.value(0));
            if (integrity != u"ok" || differing.size() > 1 ||
                (differing.size() == 1 && !inProgress.isEmpty() && !inProgress.startsWith(Stamp(next))))
                failures << QStringLiteral("kill %1: %2, %3 holds %4 instead of %5")
                                .arg(round)
                                .arg(integrity, differing.join(u' '), inProgress.left(40),
                                     facts.value(differing.value(0)).left(40));
            facts = file;
            ++next; // the stamp of the change in progress is not used again
        }
        qInfo("%d kills, %d changes reported", kKills + kFirstStartKills, reported);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.mid(0, 10).join(u'\n')));
        QVERIFY2(reported > 2 * kKills, "the worker changed too little to prove anything");
    }

    // Killed backups and restores: every file checks out, a restore is whole or absent, leftovers are cleared.
    void killDuringBackupOrRestoreLeavesEveryFileUsable()
    {
        QTemporaryDir dir(ScratchRoot());
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        const QString folder = DefaultBackupFolder(path);
        QRandomGenerator rng(7);
        int cut = 0;
        int whole = 0;
        for (int round = 1; round <= kBackupKills; ++round) {
            QProcess worker;
            // a multiple of 3: the first step restores a copy
            StartWorker(worker, {path, QString::number(3000 * round), QStringLiteral("backups")});
            QVERIFY2(worker.waitForReadyRead(30000), worker.readAllStandardError().constData());
            KillAfter(worker, static_cast<int>(rng.bounded(1u, 20u)));
            const QStringList said = QString::fromUtf8(worker.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
            ConnectionHolder c;
            OpenDatabase(c, path);
            QCOMPARE(IntegrityCheck(c), QStringLiteral("ok"));
            QStringList files = QDir(QFileInfo(path).path()).entryList(QDir::Files);
            files.removeOne(QStringLiteral("db.mdb-journal")); // not hot: the engine ignores it until the next write
            QCOMPARE(files, QStringList{QStringLiteral("db.mdb")});
            for (const BackupInfo& copy : ListBackups(folder))
                QVERIFY2(CheckDatabaseFile(copy.path).isEmpty(), qPrintable(copy.path));
            const QStringList restore = said.value(said.size() - 1).split(u' ');
            if (restore[0] != u"restore")
                continue;
            QVERIFY(QFileInfo::exists(restore[1]));
            ConnectionHolder chosen;
            OpenDatabase(chosen, restore[1]);
            const QString before = Stamp(restore[2].toLongLong());
            const QString now = GoalText(c, Table::Nian, QStringLiteral("2018"));
            const QString restored = GoalText(chosen, Table::Nian, QStringLiteral("2018"));
            QVERIFY(restored != before);
            QVERIFY2(now == before || now == restored, qPrintable(now));
            ++cut;
            whole += now == restored;
        }
        qInfo("%d backup and restore kills, %d restores under way, %d found done", kBackupKills, cut, whole);
        ConnectionHolder c;
        OpenDatabase(c, path);
        QVERIFY(MakeBackup(c, folder, QDateTime(QDate(2999, 1, 1), QTime(9, 0))).ok);
        QStringList copies;
        for (const BackupInfo& copy : ListBackups(folder))
            copies << QFileInfo(copy.path).fileName();
        copies.sort();
        QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name), copies);
    }
};

QTEST_GUILESS_MAIN(TestKillAnytime)
#include "tst_kill_anytime.moc"
