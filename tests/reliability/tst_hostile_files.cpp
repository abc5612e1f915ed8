// Hostile files and folders, met by the built program itself: a database it
// cannot use ends the start with a message and exit code 1 and is left byte for
// byte as it was; read-only files and folders still show the data and refuse a
// change with a clear message; what is missing is made; a strange maxims file
// does not stop the start.

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
    // The start makes what is missing (Dt, gey.txt, a seeded database) and leaves a
    // strange maxims file as it is; when Dt cannot be made, a message names it.
    void programFolders_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"as delivered", "no Dt", "binary maxims", "50 MB maxims", "one 1 MB line",
                                 "maxims folder", "no Dt in a read-only folder"})
            QTest::newRow(kind) << kind;
    }
    void programFolders()
    {
        QFETCH(QString, kind);
        ProgramCopy program;
        const QString maxims = program.dt(QStringLiteral("gey.txt"));
        const bool readOnly = kind.endsWith(u"read-only folder");
        if (kind.startsWith(u"no Dt"))
            QVERIFY(QDir(program.dt()).removeRecursively());
        if (kind.contains(u"maxims") || kind.contains(u"line"))
            QFile::remove(maxims);
        if (kind == u"maxims folder")
            QVERIFY(QDir().mkpath(maxims));
        else if (kind != u"as delivered" && !kind.startsWith(u"no Dt"))
            QVERIFY(WriteBytes(maxims, kind.startsWith(u"binary") ? RandomBytes(64 * 1024, 3)
                                       : kind.startsWith(u"50")
                                           ? QStringLiteral("千里之行,始于足下。\r\n").toUtf8().repeated(1900000)
                                           : QByteArray(1 << 20, 'x')));
        if (readOnly && !CanRunAsNobody())
            QSKIP("running as root without setpriv: cannot start the program as an unprivileged user");
        if (readOnly && ::geteuid() != 0)
            QVERIFY(QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray before = Sha256(maxims);
        const RunResult result = program.run(readOnly);
        QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (readOnly) {
            QVERIFY2(result.exitCode == 1 && result.output.contains(QStringLiteral("Dt")), qPrintable(result.output));
            QVERIFY(!QFileInfo::exists(program.dt()));
            return;
        }
        QVERIFY2(result.exitCode == 0 && result.output.contains(QStringLiteral("JOTRAK_READY")),
                 qPrintable(result.output));
        QVERIFY(QFileInfo::exists(maxims));
        if (!kind.startsWith(u"no Dt"))
            QCOMPARE(Sha256(maxims), before);
        ConnectionHolder c;
        OpenDatabase(c, program.database());
        QCOMPARE((QList<int>{CountRows(c, Table::Nian), CountRows(c, Table::Ri), CountRows(c, Table::An)}),
                 (QList<int>{20, 7305, 18}));
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
        QVERIFY2(result.exitCode == 1 && result.output.contains(QStringLiteral("db.mdb")), qPrintable(result.output));
        QCOMPARE(Sha256(program.database()), before);
        QCOMPARE(QDir(program.dt()).entryList(QDir::AllEntries | QDir::Hidden), entries);
    }

    // The user cannot write the file, or Dt (no journal can be made beside it): the
    // program starts, shows the goal and the item, refuses a change with a message
    // naming the cause, and leaves the file as it was.
    void aReadOnlyFileOrFolderShowsTheDataAndRefusesChanges_data()
    {
        QTest::addColumn<bool>("folder");
        QTest::newRow("read-only file") << false;
        QTest::newRow("read-only Dt folder") << true;
    }
    void aReadOnlyFileOrFolderShowsTheDataAndRefusesChanges()
    {
        QFETCH(bool, folder);
        if (!CanRunAsNobody())
            QSKIP("running as root without setpriv: cannot start the program as an unprivileged user");
        ProgramCopy program;
        MakeJotrakFile(program.database());
        const auto read = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        const auto write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        if (folder) {
            QVERIFY(QFile::setPermissions(program.database(), read | write));
            QVERIFY(
                QFile::setPermissions(program.dt(), read | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther |
                                                        (::geteuid() == 0 ? QFile::WriteOwner : QFile::Permissions())));
        } else {
            QVERIFY(GiveToNobody(program.dt()) && QFile::setPermissions(program.database(), read));
        }
        const QByteArray before = Sha256(program.database());
        const RunResult start = program.run(true);
        QVERIFY2(start.exitCode == 0, qPrintable(start.output));
        const RunResult probe = Run({program.add(QStringLiteral("readonly_probe")), program.folder()}, true);
        QVERIFY2(probe.exitCode == 0 && probe.output.contains(QStringLiteral("goal 今天的目标\nitems 1\n")) &&
                     probe.output.contains(QRegularExpression(QStringLiteral("after-modify [^\n]*只读"))) &&
                     probe.output.contains(QRegularExpression(QStringLiteral("after-add [^\n]*只读[^\n]* rows 1\n"))),
                 qPrintable(probe.output));
        QCOMPARE(Sha256(program.database()), before);
        QCOMPARE(QDir(program.dt()).entryList({QStringLiteral("db.mdb-*")}, QDir::Files | QDir::Hidden), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
