// Hostile files and folders, met by the built program itself: a database it
// cannot use ends the start with a message and exit code 1 and is left byte for
// byte as it was; read-only files and folders still show the data and refuse a
// change with a clear message; a missing Dt folder is made; a strange maxims
// file does not stop the start.

#include "support/bytes.h"
#include "support/database.h"
#include "support/hostile_files.h"
#include "support/program.h"

#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

using namespace jotrak;
using namespace jotrak::test;

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    // A first start in a fresh folder (with or without Dt) fills the window,
    // makes the maxims file and a seeded database, and closes with 0.
    void aFirstStartMakesWhatIsMissing()
    {
        for (bool withDt : {true, false}) {
            ProgramCopy program;
            QVERIFY(program.ok());
            if (!withDt)
                QVERIFY(QDir(program.dt()).removeRecursively());
            const RunResult result = program.run();
            QVERIFY2(result.finished && result.exitCode == 0 && result.output.contains(QStringLiteral("JOTRAK_READY")),
                     qPrintable(result.describe()));
            QVERIFY(QFile::exists(program.dt(QStringLiteral("gey.txt"))));
            ConnectionHolder c;
            OpenDatabase(c, program.database());
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

    // The user running the program cannot write the file, or Dt (no journal can be
    // made beside it): it starts, shows the goal and the item, refuses a change
    // with a message naming the cause, and leaves the file as it was.
    void aReadOnlyFileOrFolderShowsTheDataAndRefusesChanges_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only Dt folder") << true;
    }
    void aReadOnlyFileOrFolderShowsTheDataAndRefusesChanges()
    {
        QFETCH(bool, folder);
        if (!CanDropPrivileges())
            QSKIP("running as root without setpriv or runuser: cannot start the program as an unprivileged user");
        ProgramCopy program;
        MakeJotrakFile(program.database());
        const auto all = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        if (folder) {
            QVERIFY(QFile::setPermissions(program.database(),
                                          all | QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
            QVERIFY(
                QFile::setPermissions(program.dt(), all | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther |
                                                        (::geteuid() == 0 ? QFile::WriteOwner : QFile::Permissions())));
        } else {
            QVERIFY(GiveToNobody(program.dt()));
            QVERIFY(QFile::setPermissions(program.database(), all));
        }
        const QByteArray before = Sha256(program.database());
        const RunResult start = program.run(true);
        QVERIFY2(start.finished && start.exitCode == 0, qPrintable(start.describe()));
        const RunResult probe = RunToEnd({program.add(QStringLiteral("readonly_probe")), program.folder()}, true);
        QVERIFY2(probe.exitCode == 0, qPrintable(probe.describe()));
        QVERIFY2(probe.output.contains(QStringLiteral("goal 今天的目标\nitems 1\nafter-modify ")) &&
                     probe.output.section(QStringLiteral("after-modify "), 1).section(u'\n', 0, 0).contains(u"只读") &&
                     probe.output.contains(QRegularExpression(QStringLiteral("after-add [^\n]*只读[^\n]* rows 1\n"))),
                 qPrintable(probe.output));
        QCOMPARE(Sha256(program.database()), before);
        QCOMPARE(QDir(program.dt()).entryList({QStringLiteral("db.mdb-*")}, QDir::Files | QDir::Hidden), QStringList());
    }

    // Dt is missing and the program's folder cannot be written: a message naming
    // Dt, exit code 1, and nothing made.
    void aDtFolderThatCannotBeMadeIsReported()
    {
        if (!CanDropPrivileges())
            QSKIP("running as root without setpriv or runuser: cannot start the program as an unprivileged user");
        ProgramCopy program;
        QVERIFY(QDir(program.dt()).removeRecursively());
        if (::geteuid() != 0)
            QVERIFY(QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::ExeOwner));
        const RunResult result = program.run(true);
        QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(result.finished && result.exitCode == 1 && result.output.contains(QStringLiteral("Dt")),
                 qPrintable(result.describe()));
        QVERIFY(!QFileInfo::exists(program.dt()));
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
