// Two programs on one Dt/db.mdb: both keep working, a busy file is waited for,
// and nothing is lost or corrupted. (A row the other program deleted: tst_goals.)

#include "worker_process.h"

#include "support/app_fixture.h"
#include "support/database.h"

#include "app/command_ids.h"
#include "data/seed.h"
#include "goals/add_item_dialog.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;
using namespace jotrak::reliability;

namespace {

// The day items of 2018-01-01 listed, and 新增 answered with content.
void ListAndAdd(test::AppFixture& fx, const QString& content)
{
    fx.app().DayKeyEdit->setText(QStringLiteral("20180101"));
    fx.command(kCmdDayItems);
    fx.modals.next<AddItemDialog>([content](AddItemDialog* d) {
        d->findChild<QPlainTextEdit*>(QStringLiteral("contentEdit"))->setPlainText(content);
        d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
    });
    fx.command(kCmdAddItem);
}

// Holds the write lock of a database from another process (the sqlite3 shell)
// for the given time, as a second program in the middle of a long write would.
// "locked" is echoed by a child process: the shell's own output to a pipe is
// buffered until it exits.
class LockHolder {
public:
    LockHolder(const QString& path, double seconds)
    {
        process_.start(sqlite3_, {path, QStringLiteral("BEGIN IMMEDIATE;"), QStringLiteral(".shell echo locked"),
                                  QStringLiteral(".shell sleep %1").arg(seconds), QStringLiteral("COMMIT;")});
    }
    ~LockHolder() { process_.waitForFinished(30000); }
    LockHolder(const LockHolder&) = delete;
    LockHolder& operator=(const LockHolder&) = delete;

    bool waitUntilLocked()
    {
        while (!process_.canReadLine())
            if (!process_.waitForReadyRead(10000))
                return false;
        return process_.readLine().trimmed() == "locked";
    }

    static bool Available() { return !QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty(); }

private:
    QString sqlite3_ = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    QProcess process_;
};

} // namespace

class TestTwoPrograms : public QObject {
    Q_OBJECT

private slots:
    // Two workers store changes into one file at the same time, each its own
    // goals, buttons and schemes: both finish without an error and every change
    // of both is in the file.
    void interleavedWritersLoseNothing_data()
    {
        QTest::addColumn<bool>("firstDrivesWindow");
        QTest::newRow("record-access layer twice") << false;
        QTest::newRow("main window and record-access layer") << true;
    }
    void interleavedWritersLoseNothing()
    {
        QFETCH(bool, firstDrivesWindow);
        QTemporaryDir dir(ScratchRoot());
        DatabaseState expected;
        {
            ConnectionHolder connection;
            OpenDatabase(connection, DatabaseIn(dir.path()));
            SeedPeriodTables(connection);
            expected = ReadState(connection);
        }
        const int ops = firstDrivesWindow ? 150 : 400;
        QProcess first;
        QProcess second;
        const QString firstLog = dir.filePath(QStringLiteral("first.log"));
        const QString secondLog = dir.filePath(QStringLiteral("second.log"));
        StartWorker(first, firstDrivesWindow ? Worker::Ui : Worker::Data, dir.path(), firstLog, 1,
                    {QStringLiteral("--lane"), QStringLiteral("0"), QStringLiteral("--ops"), QString::number(ops)});
        StartWorker(second, Worker::Data, dir.path(), secondLog, 2,
                    {QStringLiteral("--lane"), QStringLiteral("1"), QStringLiteral("--ops"), QString::number(ops)});
        for (QProcess* worker : {&first, &second}) {
            QVERIFY(worker->waitForFinished(120000));
            QVERIFY2(worker->exitStatus() == QProcess::NormalExit && worker->exitCode() == 0,
                     worker->readAllStandardError().constData());
        }

        int stored = 0;
        for (const QString& log : {firstLog, secondLog}) {
            const LogReading reading = ReadLog(log);
            QVERIFY2(reading.malformed.isEmpty() && !reading.pending && !reading.cutLine,
                     qPrintable(reading.malformed.join(u'\n')));
            for (const Change& change : reading.stored)
                Apply(expected, change);
            stored += static_cast<int>(reading.stored.size());
        }
        QCOMPARE(stored, 2 * ops);
        ConnectionHolder connection;
        OpenDatabase(connection, DatabaseIn(dir.path()));
        QCOMPARE(IntegrityCheck(connection), QStringLiteral("ok"));
        const Comparison comparison = CompareWithLog(ReadState(connection), expected, std::nullopt);
        QVERIFY2(comparison.matches(), qPrintable(comparison.firstDifference));
    }

    // A second program holding the write lock for a moment: the add waits for
    // it and then stores, with no message.
    void busyFileIsWaitedFor()
    {
        if (!LockHolder::Available())
            QSKIP("the sqlite3 shell (Debian package sqlite3) is needed to hold a lock from another process");
        test::AppFixture fx;
        LockHolder lock(DatabaseIn(fx.exeDir()), 1.5);
        QVERIFY(lock.waitUntilLocked());
        ListAndAdd(fx, QStringLiteral("after the wait"));
        QVERIFY2(fx.messages().isEmpty(), qPrintable(fx.messages().value(0).text));
        QCOMPARE(test::Items(fx.db(), Table::Ri, QStringLiteral("20180101")).at(0).content,
                 QStringLiteral("after the wait"));
        QCOMPARE(fx.app().ItemList->rowCount(), 1);
    }

    // Held past the busy timeout (5 s): a clear message, nothing stored, the
    // list unchanged, and the program goes on working once the lock is gone.
    void busyPastTheTimeoutGivesAClearMessage()
    {
        if (!LockHolder::Available())
            QSKIP("the sqlite3 shell (Debian package sqlite3) is needed to hold a lock from another process");
        test::AppFixture fx;
        {
            LockHolder lock(DatabaseIn(fx.exeDir()), 7);
            QVERIFY(lock.waitUntilLocked());
            ListAndAdd(fx, QStringLiteral("blocked"));
            QCOMPARE(fx.messages().size(), 1);
            QVERIFY2(fx.messages().first().text.contains(QStringLiteral("另一个程序占用")),
                     qPrintable(fx.messages().first().text));
            QCOMPARE(fx.app().ItemList->rowCount(), 0);
        }
        QVERIFY(test::Items(fx.db(), Table::Ri, QStringLiteral("20180101")).empty());
        fx.clearMessages();
        ListAndAdd(fx, QStringLiteral("later"));
        QVERIFY(fx.messages().isEmpty());
        QCOMPARE(test::Items(fx.db(), Table::Ri, QStringLiteral("20180101")).size(), 1u);
    }
};

QTEST_MAIN(TestTwoPrograms)
#include "tst_two_programs.moc"
