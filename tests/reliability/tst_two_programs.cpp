// Two programs on one Dt/db.mdb: both keep working, a busy file is waited for,
// nothing is lost or corrupted, and an operation on a row the other program
// deleted says so instead of failing silently.

#include "worker_process.h"

#include "app/command_ids.h"
#include "app/test_app_fixture.h"
#include "data/seed.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "goals/item_test_support.h"

#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;
using namespace jotrak::reliability;

namespace {

const QString kItemGone = QString::fromUtf8("该工作内容已不存在(可能已被删除),请重新查看细项");

// The day items of the fixture's day (2018-01-01), listed as command 118 does.
void ListDayItems(test::AppFixture& fx)
{
    fx.app().DayKeyEdit->setText(QStringLiteral("20180101"));
    fx.command(kCmdDayItems);
}

// Another program's connection to the same file.
struct OtherProgram {
    ConnectionHolder connection;
    explicit OtherProgram(const QString& exeDir) { OpenDatabase(connection, DatabaseIn(exeDir)); }

    void deleteItem(int id) { ExecuteStatement(connection, stmt::DeleteItem(Table::RiNext, id)); }
    bool itemExists(int id)
    {
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, id), connection);
        return !IsAtEnd(rs);
    }
};

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

    // The other program deleted the item after this one listed it: changing it
    // gives the message, opens no dialog and writes nothing.
    void changingAnItemTheOtherDeletedSaysSo()
    {
        test::AppFixture fx;
        OtherProgram other(fx.exeDir());
        const int goal = test::GoalId(Table::Ri, QStringLiteral("20180101"));
        const int id = test::InsertItem(Table::Ri, goal, QStringLiteral("still here"));
        ListDayItems(fx);
        QCOMPARE(fx.app().ItemList->rowCount(), 1);
        fx.app().ItemList->setCurrentCell(0, 2);

        other.deleteItem(id);
        test::DialogAnswers dialogs;
        fx.command(kCmdEditItem);
        QCOMPARE(dialogs.unexpected(), 0);
        QCOMPARE(fx.messages().size(), 1);
        QCOMPARE(fx.messages().first().text, kItemGone);
        QVERIFY(!other.itemExists(id));
        QVERIFY(test::StoredItems(Table::RiNext).isEmpty());
    }

    // The other program deletes the item while the change dialog is open: the
    // change is not stored (no row comes back) and the user is told.
    void itemDeletedWhileTheChangeDialogIsOpen()
    {
        test::AppFixture fx;
        OtherProgram other(fx.exeDir());
        const int id =
            test::InsertItem(Table::Ri, test::GoalId(Table::Ri, QStringLiteral("20180101")), QStringLiteral("old"));
        ListDayItems(fx);
        fx.app().ItemList->setCurrentCell(0, 2);

        test::DialogAnswers dialogs;
        dialogs.expect<EditItemDialog>([&](EditItemDialog* dialog) {
            test::Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(QStringLiteral("new"));
            other.deleteItem(id);
            test::Child<QPushButton>(dialog, "okButton")->click();
        });
        fx.command(kCmdEditItem);
        QCOMPARE(dialogs.pending(), 0);
        QCOMPARE(fx.messages().size(), 1);
        QCOMPARE(fx.messages().first().text, kItemGone);
        QVERIFY(test::StoredItems(Table::RiNext).isEmpty());
        QCOMPARE(test::RowTexts(fx.app().ItemList, 0).at(2), QStringLiteral("old"));
    }

    // A second program holding the write lock for a moment: the add waits for
    // it and then stores, with no message.
    void busyFileIsWaitedFor()
    {
        if (!LockHolder::Available())
            QSKIP("the sqlite3 shell (Debian package sqlite3) is needed to hold a lock from another process");
        test::AppFixture fx;
        ListDayItems(fx);
        LockHolder lock(DatabaseIn(fx.exeDir()), 1.5);
        QVERIFY(lock.waitUntilLocked());

        test::DialogAnswers dialogs;
        dialogs.expect<AddItemDialog>([](AddItemDialog* dialog) {
            test::Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(QStringLiteral("after the wait"));
            test::Child<QPushButton>(dialog, "okButton")->click();
        });
        fx.command(kCmdAddItem);
        QVERIFY2(fx.messages().isEmpty(), qPrintable(fx.messages().value(0).text));
        const auto items = test::StoredItems(Table::RiNext);
        QCOMPARE(items.size(), 1);
        QCOMPARE(items.first().content, Value(QStringLiteral("after the wait")));
        QCOMPARE(fx.app().ItemList->rowCount(), 1);
    }

    // Held past the busy timeout (5 s): a clear message, nothing stored, the
    // list unchanged, and the program goes on working once the lock is gone.
    void busyPastTheTimeoutGivesAClearMessage()
    {
        if (!LockHolder::Available())
            QSKIP("the sqlite3 shell (Debian package sqlite3) is needed to hold a lock from another process");
        test::AppFixture fx;
        ListDayItems(fx);
        test::DialogAnswers dialogs;
        {
            LockHolder lock(DatabaseIn(fx.exeDir()), 7);
            QVERIFY(lock.waitUntilLocked());
            dialogs.expect<AddItemDialog>([](AddItemDialog* dialog) {
                test::Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(QStringLiteral("blocked"));
                test::Child<QPushButton>(dialog, "okButton")->click();
            });
            fx.command(kCmdAddItem);
            QCOMPARE(fx.messages().size(), 1);
            QVERIFY2(fx.messages().first().text.contains(QString::fromUtf8("另一个程序占用")),
                     qPrintable(fx.messages().first().text));
            QCOMPARE(fx.app().ItemList->rowCount(), 0);
        }
        QVERIFY(test::StoredItems(Table::RiNext).isEmpty());

        fx.clearMessages();
        dialogs.expect<AddItemDialog>([](AddItemDialog* dialog) {
            test::Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(QStringLiteral("later"));
            test::Child<QPushButton>(dialog, "okButton")->click();
        });
        fx.command(kCmdAddItem);
        QVERIFY(fx.messages().isEmpty());
        QCOMPARE(test::StoredItems(Table::RiNext).size(), 1);
    }
};

QTEST_MAIN(TestTwoPrograms)
#include "tst_two_programs.moc"
