// Backups: names, retention, checked copies, the listing, the copy on its own thread, the day's backup, whole
// restores.
#include "backup/background_backup.h"
#include "backup/backup_settings.h"
#include "backup/daily_backup.h"
#include "backup/backup_retention.h"
#include "data/copy_names.h"
#include "data/log_identity.h"
#include "data/record_access.h"
#include "backup/restore.h"
#include "calendar/clock.h"
#include "support/bytes.h"
#include "support/database.h"

#include <sqlite3.h>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace jotrak;

namespace {

const QDateTime kNoon(QDate(2018, 3, 5), QTime(12, 0, 0));

// A seeded database in <temp>/Dt/db.mdb; Put writes day goals with a text and items under the first of them.
struct Db : test::TempDb {
    explicit Db(int goals = 2, int items = 3) : TempDb(true) { Put(goals, items); }
    void Put(int goals, int items)
    {
        for (int i = 0; i < goals; ++i)
            test::SetGoal(connection, Table::Ri, FormatDayKey(2018, 1, ++goalsPut), QStringLiteral("目标"));
        for (int i = 0; i < items; ++i)
            test::AddItem(connection, Table::Ri, test::GoalId(connection, Table::Ri, QStringLiteral("20180101")),
                          QStringLiteral("事项"));
    }
    QString dataDir() const { return dir.filePath(QStringLiteral("Dt")); }
    QString backups() const { return DefaultBackupFolder(path()); }
    QStringList names() const { return QDir(backups()).entryList(QDir::Files); }
    LogCopies copies() { return CopiesOfLog(connection, backups()); }
    int goalsPut = 0;
};

QStringList DailyNames(const QDate& first, int days, int stepDays = 1)
{
    QStringList names;
    for (int i = 0; i < days; ++i)
        names << BackupFileName(QDateTime(first.addDays(i * stepDays), QTime(9, 30)));
    return names;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void retentionKeepsFourteenDaysAndTwelveMonthsBefore_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("removed");
        const QDate jan1(2018, 1, 1);
        const QString noon = BackupFileName(kNoon);
        const QString morning = BackupFileName(kNoon.addSecs(-3 * 3600));
        QTest::newRow("one day: every copy stays") << QStringList{noon, morning} << QStringList{};
        QTest::newRow("20 days of one month") << DailyNames(jan1, 20) << DailyNames(jan1, 5);
        // days without a copy do not count: the 14 kept span four weeks
        QTest::newRow("every other day") << DailyNames(jan1, 20, 2) << DailyNames(jan1, 5, 2);
        QTest::newRow("the 15th day keeps its newest copy")
            << (DailyNames(jan1, 15) << BackupFileName(QDateTime(jan1, QTime(18, 0)))) << DailyNames(jan1, 1);
        // to 2019-02-04: the 14 newest days and the last copy of each of the 12 months before
        QStringList kept = DailyNames(jan1.addDays(386), 14) << DailyNames(jan1.addDays(385), 1);
        for (int month = 2; month <= 12; ++month)
            kept << DailyNames(QDate(2018, month, 1).addMonths(1).addDays(-1), 1);
        QStringList removed = DailyNames(jan1, 400);
        for (const QString& name : kept)
            removed.removeOne(name);
        QStringList shuffled = DailyNames(jan1, 400);
        std::reverse(shuffled.begin(), shuffled.end());
        QTest::newRow("400 days, given newest first") << shuffled << removed;
        // the upgrade copies' month keeps a newer daily copy; they stay anyway
        QTest::newRow("upgrade copies and other files stay")
            << (DailyNames(jan1, 16) << UpgradeBackupFileName(QDateTime(jan1, QTime(8, 0)), 1)
                                     << UpgradeBackupFileName(QDateTime(jan1, QTime(7, 0)), 4, QString(16, u'a'))
                                     << QStringLiteral("db-x.mdb") << QStringLiteral("notes.txt")
                                     << BackupFileName(kNoon) + QStringLiteral(".part-7") << "db-20181305-120000.mdb"
                                     << "db-20180305-1200.mdb"
                                     << "xdb-20180305-120000.mdb")
            << DailyNames(jan1, 1);
    }
    void retentionKeepsFourteenDaysAndTwelveMonthsBefore()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, removed);
        QStringList got = BackupsToRemove(names);
        got.sort();
        removed.sort();
        QCOMPARE(got, removed);
    }

    // Copies on 20 days, two at once: names by the clock (next free second), checked, listed, pruned.
    void backupsAreCheckedListedAndPruned()
    {
        Db db;
        for (int day = 0; day < 20; ++day)
            QVERIFY(MakeBackup(db.connection, db.backups(), kNoon.addDays(day)).ok);
        BackupResult beside;
        std::thread thread([&] { beside = MakeBackup(db.connection, db.backups(), kNoon.addDays(19)); });
        const BackupResult again = MakeBackup(db.connection, db.backups(), kNoon.addDays(19));
        thread.join();
        QVERIFY(again.ok && beside.ok && again.path != beside.path);
        QCOMPARE(again.time, kNoon.addDays(19));

        // every copy of the 14 newest days, and the newest of March before them
        QCOMPARE(db.names().size(), 17);
        const QList<BackupInfo> list = ListBackups(db.copies());
        QCOMPARE(list.size(), 17);
        QCOMPARE(QFileInfo(list.first().path).fileName(),
                 QStringLiteral("db-20180324-120002-%1.mdb").arg(ReadLogId(db.connection.handle())));
        QCOMPARE(list.last().time, kNoon.addDays(5));
        QCOMPARE(list.first().goals, 2); // the seeded rows without a text do not count
        QCOMPARE(list.first().items, 3);
        QCOMPARE(list.first().size, QFileInfo(db.path()).size());
        QCOMPARE(CheckDatabaseFile(again.path), QString());
        QVERIFY(!HasBackupOfDay(db.copies(), kNoon.date()));
        QVERIFY(HasBackupOfDay(db.copies(), kNoon.addDays(19).date()));

        const BackupResult upgrade = BackupBeforeUpgrade(db.connection.handle(), db.path(), 1);
        QVERIFY(upgrade.ok && upgrade.path.endsWith(QStringLiteral("-v1.mdb")));
        QVERIFY(MakeBackup(db.connection, db.backups(), kNoon.addDays(40)).ok);
        QVERIFY(QFileInfo::exists(upgrade.path));
    }

    // A failed backup says why in Chinese, leaves no file behind, and the database is untouched.
    void failedBackupsLeaveNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("words");
        QTest::newRow("folder is a file") << "folder-is-file" << QString::fromUtf8("无法创建备份文件夹");
        QTest::newRow("database not open") << "closed" << QString::fromUtf8("数据库没有打开");
        QTest::newRow("copy damaged on the way") << "damaged" << QString::fromUtf8("已损坏");
        QTest::newRow("stopped") << "stop" << QString::fromUtf8("中止");
    }
    void failedBackupsLeaveNothing()
    {
        QFETCH(QString, how);
        QFETCH(QString, words);
        Db db;
        QString folder = db.backups();
        std::atomic<bool> stop{how == QLatin1String("stop")};
        sqlite3* source = db.connection.handle();
        if (how == QLatin1String("folder-is-file"))
            QVERIFY(test::WriteBytes(folder, "x"));
        if (how == QLatin1String("closed"))
            source = nullptr;
        sqlite3* damaged = nullptr;
        if (how == QLatin1String("damaged")) {
            // pages that do not hold together: the engine copies them as they are
            const QString path = db.dir.filePath(QStringLiteral("damaged.mdb"));
            QVERIFY(QFile::copy(db.path(), path));
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(2 * 4096 + 8);
            file.write(QByteArray(64, '\xff'));
            file.close();
            sqlite3_open(QFile::encodeName(path).constData(), &damaged);
            source = damaged;
        }
        const BackupResult result = MakeBackup(source, db.path(), folder, kNoon, &stop);
        sqlite3_close(damaged);
        QVERIFY(!result.ok);
        QVERIFY2(result.reason.contains(words), qPrintable(result.reason));
        QCOMPARE(result.time, kNoon);
        QCOMPARE(db.names(), QStringList());
        QCOMPARE(test::CountRows(db.connection, Table::RiNext), 3);
    }

    // Nothing made during a restore; the result comes to the asking thread, once a day; stopping leaves no part.
    void backgroundBackupReportsOnceADay()
    {
        Db db;
        BackgroundBackup runner;
        QSignalSpy finished(&runner, &BackgroundBackup::finished);
        RestoreLock().lock();
        QVERIFY(runner.start(db.connection, db.backups(), kNoon, true));
        QTRY_VERIFY(!runner.isRunning());
        RestoreLock().unlock();
        QVERIFY(runner.start(db.connection, db.backups(), kNoon, true));
        QVERIFY(!runner.start(db.connection, db.backups(), kNoon, true));
        QVERIFY(finished.wait(10000));
        QVERIFY(finished.first().first().value<BackupResult>().ok);
        QVERIFY(runner.start(db.connection, db.backups(), kNoon.addSecs(60), true));
        QTRY_VERIFY(!runner.isRunning());
        QCOMPARE(finished.size(), 1);

        QVERIFY(runner.start(db.connection, db.backups(), kNoon.addDays(1), false));
        runner.stop();
        QVERIFY(!runner.isRunning());
        for (const QString& name : db.names())
            QVERIFY2(!name.contains(QStringLiteral(".part-")), qPrintable(name));
    }

    // Two logs of one user, one chosen folder: each its own day's copy; listing, retention and restore keep to their
    // own.
    void twoLogsShareABackupFolder()
    {
        Db a(1, 1), b(2, 3);
        QTemporaryDir shared;
        // a copy of an older release in the shared folder belongs to nobody; in A's own folder to A
        QVERIFY(QDir().mkpath(a.backups()));
        for (const QString& folder : {shared.path(), a.backups()}) {
            test::CopyAsVersion(a.path(), QDir(folder).filePath(BackupFileName(kNoon.addDays(-40))), 1);
        }
        SetBackupFolder(a.dataDir(), shared.path());
        SetBackupFolder(b.dataDir(), shared.path());
        Clock::SetForTest(kNoon);
        for (Db* db : {&a, &b}) {
            QObject window;
            StartDailyBackup(&window, db->connection, db->dataDir());
            QVERIFY(MakeDailyBackupIfDue(&window));
            QTRY_VERIFY(LastBackup(db->dataDir()).has_value());
            QVERIFY(LastBackup(db->dataDir())->ok);
        }
        const QList<BackupInfo> ofA = ListBackups(CopiesOfLog(a.connection, shared.path()));
        QCOMPARE(ofA.size(), 1);
        QCOMPARE(ListBackups(CopiesOfLog(a.connection, a.backups())).size(), 1);
        for (int day = 1; day <= 15; ++day)
            QVERIFY(MakeBackup(b.connection, shared.path(), kNoon.addDays(day)).ok);
        const QList<BackupInfo> ofB = ListBackups(CopiesOfLog(b.connection, shared.path()));
        QCOMPARE(ofB.size(), 15);
        QCOMPARE(ofB.last().goals, 2);
        QVERIFY(QFileInfo::exists(ofA.first().path));

        const RestoreResult refused = RestoreBackup(b.connection, ofA.first().path, shared.path(), kNoon.addDays(20));
        QVERIFY2(refused.reason.contains(QStringLiteral("另一个日志")), qPrintable(refused.reason));
        QCOMPARE(test::CountRows(b.connection, Table::RiNext), 3);
    }

    // A failed day's backup is tried again at the hourly check and the next start, and told until one succeeds.
    void aFailedDailyBackupIsTriedAgainUntilOneSucceeds()
    {
        Db db;
        const QString blocked = db.dir.filePath(QStringLiteral("blocked"));
        QVERIFY(test::WriteBytes(blocked, "a file where the folder would be"));
        SetBackupFolder(db.dataDir(), blocked);
        auto window = std::make_unique<QObject>();
        StartDailyBackup(window.get(), db.connection, db.dataDir());
        const auto tryAt = [&](const QDateTime& now) {
            Clock::SetForTest(now);
            if (!MakeDailyBackupIfDue(window.get()))
                return QStringLiteral("not started");
            const bool told = QTest::qWaitFor([&] {
                const std::optional<BackupResult> last = LastBackup(db.dataDir());
                return last && last->time == now;
            });
            return told ? LastBackupText(db.dataDir()) : QStringLiteral("nothing told");
        };
        QCOMPARE(tryAt(kNoon), QStringLiteral("上次备份:2018-03-05 12:00 失败"));
        QCOMPARE(tryAt(kNoon.addSecs(3600)), QStringLiteral("上次备份:2018-03-05 13:00 失败"));
        QVERIFY(QFile::remove(blocked));
        window = std::make_unique<QObject>();
        StartDailyBackup(window.get(), db.connection, db.dataDir());
        QCOMPARE(tryAt(kNoon.addSecs(7200)), QStringLiteral("上次备份:2018-03-05 14:00 成功"));
        QCOMPARE(tryAt(kNoon.addSecs(10800)), QStringLiteral("not started"));
        QCOMPARE(QDir(blocked).entryList(QDir::Files).size(), 1);
    }

    // The copy replaces the file whole after a backup of it; a stale journal is never played back; a bad copy: nothing.
    void restoreHappensWholeOrNotAtAll_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a backup") << "backup" << QString();
        QTest::newRow("a backup, stale journal beside the file") << "journal" << QString();
        QTest::newRow("a copy of an older release: keeps the log's id") << "older" << QString();
        QTest::newRow("a truncated copy") << "truncated" << QString::fromUtf8("无法恢复");
        QTest::newRow("another program's database") << "foreign" << QString::fromUtf8("不是可以使用的 Jotrak 数据库");
        QTest::newRow("a missing file") << "missing" << QString::fromUtf8("无法把备份");
    }
    void restoreHappensWholeOrNotAtAll()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, refusal);
        Db db(2, 3);
        const BackupResult copy = MakeBackup(db.connection, db.backups(), kNoon);
        QVERIFY(copy.ok);
        db.Put(1, 4); // now 3 goals with text, 7 items
        QString path = copy.path;
        if (chosen == QLatin1String("truncated")) {
            path = db.dir.filePath(QStringLiteral("truncated.mdb"));
            QFile::copy(copy.path, path);
            QFile(path).resize(QFileInfo(path).size() / 2);
        } else if (chosen == QLatin1String("foreign")) {
            path = db.dir.filePath(QStringLiteral("foreign.mdb"));
            test::RunSql(path, "CREATE TABLE t(x)");
        } else if (chosen == QLatin1String("missing")) {
            path = db.dir.filePath(QStringLiteral("gone.mdb"));
        } else if (chosen == QLatin1String("older")) {
            path = test::CopyAsVersion(copy.path, db.dir.filePath(QStringLiteral("older.mdb")), 1);
        } else if (chosen == QLatin1String("journal")) {
            QVERIFY(test::WriteBytes(db.path() + QStringLiteral("-journal"), QByteArray(512, '\0')));
        }

        const QString logId = ReadLogId(db.connection.handle());
        const RestoreResult result = RestoreBackup(db.connection, path, db.backups(), kNoon.addSecs(3600));
        QVERIFY(db.connection.isOpen());
        QCOMPARE(result.ok, refusal.isEmpty());
        QVERIFY2(result.reason.contains(refusal), qPrintable(result.reason));
        QCOMPARE(test::CountRows(db.connection, Table::RiNext), result.ok ? 3 : 7);
        QCOMPARE(result.before.ok, result.ok);
        QCOMPARE(ReadLogId(db.connection.handle()), logId);
        if (result.ok)
            QCOMPARE(ReadCopyContents(result.before.path).items, 7);
        QVERIFY(QFileInfo::exists(copy.path)); // the copy of the same day stays
        QCOMPARE(QDir(db.dir.filePath(QStringLiteral("Dt"))).entryList(QDir::Files),
                 QStringList{QStringLiteral("db.mdb")});
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
