// Two programs on one file: both keep working, a busy file is waited for, nothing lost. (Deleted rows: tst_goals.)

#include "store_worker.h"
#include "support/app_fixture.h"
#include "app/command_ids.h"
#include "data/seed.h"
#include "goals/add_item_dialog.h"

#include <QStandardPaths>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;

class TestTwoPrograms : public QObject {
    Q_OBJECT

private slots:
    // Two workers at once on their own rows: both finish, every change is in the sound file.
    void interleavedWritersLoseNothing()
    {
        QTemporaryDir dir(ScratchRoot());
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        Facts facts[2];
        {
            ConnectionHolder c;
            OpenDatabase(c, path);
            SeedPeriodTables(c);
            facts[0] = ReadFacts(c, Lane{0});
            facts[1] = ReadFacts(c, Lane{1});
        }
        QProcess workers[2];
        for (int lane : {0, 1})
            StartWorker(workers[lane], {path, QString::number(1 + 100000 * lane), QString::number(lane), "400"});
        for (int lane : {0, 1}) {
            QVERIFY(workers[lane].waitForFinished(120000));
            QVERIFY2(workers[lane].exitCode() == 0, workers[lane].readAllStandardError().constData());
            QCOMPARE(ApplyReport(facts[lane], workers[lane].readAllStandardOutput(), 0), 401 + 100000 * lane);
        }
        ConnectionHolder c;
        OpenDatabase(c, path);
        QCOMPARE(IntegrityCheck(c), QStringLiteral("ok"));
        for (int lane : {0, 1})
            QCOMPARE(Differing(ReadFacts(c, Lane{lane}), facts[lane]), QStringList());
    }

    // The sqlite3 shell holds the write lock: 1.5 s is waited out; past 5 s a message, nothing stored, then works.
    void aBusyFileIsWaitedFor_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::newRow("a moment") << 1;
        QTest::newRow("past the timeout") << 7;
    }
    void aBusyFileIsWaitedFor()
    {
        QFETCH(int, seconds);
        const QString shell = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        if (shell.isEmpty())
            QSKIP("the sqlite3 shell (Debian package sqlite3) is needed to hold a lock from another process");
        AppFixture fx;
        const auto add = [&](const QString& content) {
            fx.command(kCmdDayItems);
            fx.modals.next<AddItemDialog>([content](AddItemDialog* d) {
                d->findChild<QPlainTextEdit*>(QStringLiteral("contentEdit"))->setPlainText(content);
                d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
            });
            fx.command(kCmdAddItem);
        };
        // the shell's own output to a pipe waits until it ends: a child echoes "locked"
        QProcess lock;
        lock.start(shell, {DatabaseFile(fx.dataDir()), QStringLiteral("BEGIN IMMEDIATE;"),
                           QStringLiteral(".shell echo locked"), QStringLiteral(".shell sleep %1.5").arg(seconds),
                           QStringLiteral("COMMIT;")});
        QVERIFY(lock.waitForReadyRead(10000) && lock.readLine().trimmed() == "locked");
        add(QStringLiteral("first"));
        QVERIFY(lock.waitForFinished(30000));
        add(QStringLiteral("second"));
        QStringList stored;
        for (const WorkItem& item : Items(fx.db(), Table::Ri, QStringLiteral("20180101")))
            stored << item.content;
        QCOMPARE(stored, seconds < 5 ? (QStringList{"first", "second"}) : QStringList{"second"});
        QCOMPARE(fx.itemList()->model()->rowCount(), int(stored.size()));
        QCOMPARE(AppFixture::messages().size(), seconds < 5 ? 0 : 1);
        if (seconds >= 5)
            QVERIFY2(AppFixture::messages()[0].text.contains(QStringLiteral("另一个程序占用")),
                     qPrintable(AppFixture::messages()[0].text));
    }
};

QTEST_MAIN(TestTwoPrograms)
#include "tst_two_programs.moc"
