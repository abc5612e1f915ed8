// Hostile files and folders, met by the built program itself: a database it
// cannot use ends the start with a message and exit code 1 and is left byte for
// byte as it was; a read-only file still shows the data and refuses a change
// with a clear message; without a writable Dt beside the program the user's
// data folder is made; a data folder that cannot be made ends the start; a
// strange maxims file does not stop the start.

#include "support/bytes.h"
#include "support/database.h"
#include "support/hostile_files.h"
#include "support/program.h"

#include "shell/app_context.h"

#include <QTest>

#include <unistd.h>

using namespace jotrak;
using namespace jotrak::test;

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    // A first start fills the window, makes the maxims file and a seeded
    // database in its data folder, and closes with 0: in Dt beside the program
    // when that can be written, else in the user's data folder, leaving a
    // read-only Dt as it was.
    void aFirstStartMakesWhatIsMissing()
    {
        for (const char* beside : {"Dt", "nothing", "read-only Dt"}) {
            const bool readOnly = QByteArray(beside) == "read-only Dt";
            if (readOnly && !CanDropPrivileges())
                continue;
            ProgramCopy program;
            QVERIFY(program.ok());
            if (QByteArray(beside) == "nothing")
                QVERIFY(QDir(program.dt()).removeRecursively());
            const QStringList before = QDir(program.dt()).entryList(QDir::AllEntries | QDir::Hidden);
            if (readOnly && ::geteuid() != 0)
                QVERIFY(QFile::setPermissions(program.dt(), QFile::ReadOwner | QFile::ExeOwner));
            const RunResult result = program.run(readOnly);
            QVERIFY2(result.finished && result.exitCode == 0 && result.output.contains(QStringLiteral("JOTRAK_READY")),
                     qPrintable(beside + result.describe()));
            const bool portable = QByteArray(beside) == "Dt";
            QCOMPARE(QDir(program.dt()).entryList(QDir::AllEntries | QDir::Hidden) == before, !portable);
            const QString data = portable ? program.dt() : program.userDt();
            QVERIFY(QFile::exists(data + QStringLiteral("/gey.txt")));
            ConnectionHolder c;
            OpenDatabase(c, DatabaseFile(data));
            QCOMPARE((QList<int>{CountRows(c, Table::Nian), CountRows(c, Table::Yue), CountRows(c, Table::Ri),
                                 CountRows(c, Table::An)}),
                     (QList<int>{20, 240, 7305, 18}));
        }
    }

    void anUnusableDatabaseEndsTheStartUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        for (const HostileFile& file : HostileFiles())
            QTest::newRow(file.kind) << QString::fromLatin1(file.kind);
    }
    void anUnusableDatabaseEndsTheStartUntouched()
    {
        QFETCH(QString, kind);
        ProgramCopy program;
        MakeHostileFile(kind, program.database());
        const QByteArray before = Sha256(program.database());
        const QStringList entries = QDir(program.dt()).entryList(QDir::AllEntries | QDir::Hidden);
        const RunResult result = program.run();
        QVERIFY2(result.finished && result.exitCode == 1 && result.output.contains(QStringLiteral("db.mdb")),
                 qPrintable(result.describe()));
        QCOMPARE(Sha256(program.database()), before);
        QCOMPARE(QDir(program.dt()).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }

    // The user running the program cannot write the file (one of version 1, the
    // search index not made yet): it starts, shows the goal and the item,
    // refuses a change with a message naming the cause, searches without the
    // index, and leaves the file as it was.
    void aReadOnlyFileShowsTheDataAndRefusesChanges()
    {
        if (!CanDropPrivileges())
            QSKIP("running as root without setpriv or runuser: cannot start the program as an unprivileged user");
        ProgramCopy program;
        MakeJotrakFile(program.database());
        DropToVersion1(program.database());
        QVERIFY(GiveToNobody(program.dt()));
        QVERIFY(QFile::setPermissions(program.database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = Sha256(program.database());
        const RunResult start = program.run(true);
        QVERIFY2(start.finished && start.exitCode == 0, qPrintable(start.describe()));
        const RunResult probe = RunToEnd({program.add(QStringLiteral("readonly_probe")), program.folder()}, true);
        QVERIFY2(probe.exitCode == 0, qPrintable(probe.describe()));
        const QString readOnly = QStringLiteral("只读").toUtf8().toHex();
        QVERIFY2(probe.output.contains(QStringLiteral("goal ") + QStringLiteral("今天的目标").toUtf8().toHex()) &&
                     probe.output.contains(QStringLiteral("items 1\n")) &&
                     probe.output.section(QStringLiteral("after-modify "), 1).section(u'\n', 0, 0).contains(readOnly) &&
                     probe.output.section(QStringLiteral("after-add "), 1).section(u'\n', 0, 0).contains(readOnly) &&
                     probe.output.contains(QStringLiteral("rows-after-add 1")) &&
                     probe.output.contains(QStringLiteral("search ") +
                                           QStringLiteral("共找到 1 条(这个数据库文件没有搜索索引").toUtf8().toHex()),
                 qPrintable(probe.output));
        QCOMPARE(Sha256(program.database()), before);
        QCOMPARE(QDir(program.dt()).entryList({QStringLiteral("db.mdb-*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    // --data-dir names a folder that cannot be made: a message naming it, exit
    // code 1, and nothing made.
    void aDataFolderThatCannotBeMadeIsReported()
    {
        ProgramCopy program;
        const QString blocker = program.folder() + QStringLiteral("/a file");
        QVERIFY(WriteBytes(blocker, "not a folder"));
        const RunResult result = program.run(false, {QStringLiteral("--data-dir"), blocker + QStringLiteral("/Dt")});
        QVERIFY2(result.finished && result.exitCode == 1 &&
                     result.output.contains(QStringLiteral("无法创建数据文件夹 ") + blocker + QStringLiteral("/Dt")),
                 qPrintable(result.describe()));
        QCOMPARE(ReadBytes(blocker), QByteArray("not a folder"));
        QVERIFY(!QFileInfo::exists(program.userDt()));
    }

    void aStrangeMaximsFileDoesNotStopTheStart()
    {
        for (const char* kind : {"binary", "50 MB", "one 1 MB line", "a folder"}) {
            ProgramCopy program;
            const QString maxims = program.dt(QStringLiteral("gey.txt"));
            QFile::remove(maxims);
            if (QByteArray(kind) == "a folder")
                QVERIFY(QDir().mkpath(maxims));
            else
                QVERIFY(WriteBytes(maxims, QByteArray(kind) == "binary" ? RandomBytes(64 * 1024, 3)
                                           : QByteArray(kind) == "50 MB"
                                               ? QStringLiteral("千里之行,始于足下。\r\n").toUtf8().repeated(1900000)
                                               : QByteArray(1 << 20, 'x')));
            const QByteArray before = Sha256(maxims);
            const RunResult result = program.run();
            QVERIFY2(result.finished && result.exitCode == 0,
                     qPrintable(QString::fromLatin1(kind) + result.describe()));
            QCOMPARE(Sha256(maxims), before);
        }
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
