// Hostile files and folders, met by the built program itself: a database it
// cannot use ends the start with a message and exit code 1 and is left byte for
// byte as it was; read-only files and folders still show the data and refuse a
// change with a clear message; a missing Dt folder is made; a strange maxims
// file does not stop the start.

#include "program_copy.h"

#include "data/record_access.h"
#include "data/seed.h"

#include <sqlite3.h>

#include <QRandomGenerator>
#include <QTest>

using namespace jotrak;
using namespace jotrak::reliability;

namespace {

const QString kDayGoal = QString::fromUtf8("今天的目标");

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray RandomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    QRandomGenerator rng(seed);
    for (char& b : bytes)
        b = static_cast<char>(rng.bounded(256));
    return bytes;
}

// A seeded Jotrak file holding a day goal for 2018-01-01 and one item under it.
void MakeJotrakFile(const QString& path)
{
    ConnectionHolder connection;
    OpenDatabase(connection, path);
    SeedPeriodTables(connection);
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalByKey(Table::Ri, QStringLiteral("20180101")), connection);
    SetFieldValue(goal, QStringLiteral("nr"), Value(kDayGoal));
    const int goalId = GetFieldValue(goal, QStringLiteral("IDME")).toInt();
    StoreRow(goal);
    RecordsetHolder item;
    OpenRecordset(item, stmt::ForAppending(Table::RiNext), connection);
    AddNewRow(item);
    SetFieldValue(item, QStringLiteral("ShangId"), Value(goalId));
    SetFieldValue(item, QStringLiteral("nr"), Value(QStringLiteral("item")));
    StoreRow(item);
}

void RunSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

void Truncate(const QString& path, qint64 size)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.resize(size));
}

QString Describe(const RunResult& result)
{
    return QStringLiteral("finished %1, exit code %2, output:\n%3")
        .arg(result.finished)
        .arg(result.exitCode)
        .arg(result.output.right(2000));
}

// A parsed readonly_probe report.
struct ProbeReport {
    int exitCode = -1;
    QString goal;
    int items = -1;
    QString afterModify;
    QString afterAdd;
    int rowsAfterAdd = -1;
    QString output;
};

ProbeReport RunProbe(const ProgramCopy& program)
{
    const QString probe = program.addProgram(QStringLiteral("readonly_probe"));
    const RunResult result = ProgramCopy::Run({probe, program.folder()}, true);
    ProbeReport report;
    report.exitCode = result.exitCode;
    report.output = result.output;
    for (const QString& line : result.output.split(u'\n')) {
        const QString value = line.section(u' ', 1);
        const QString text = QString::fromUtf8(QByteArray::fromHex(value.toLatin1()));
        if (line.startsWith(QStringLiteral("goal ")))
            report.goal = text;
        else if (line.startsWith(QStringLiteral("items ")))
            report.items = value.toInt();
        else if (line.startsWith(QStringLiteral("after-modify ")))
            report.afterModify = text;
        else if (line.startsWith(QStringLiteral("after-add ")))
            report.afterAdd = text;
        else if (line.startsWith(QStringLiteral("rows-after-add ")))
            report.rowsAfterAdd = value.toInt();
    }
    return report;
}

QStringList JournalsBeside(const QString& database)
{
    return QDir(QFileInfo(database).absolutePath())
        .entryList({QFileInfo(database).fileName() + QStringLiteral("-*")}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo::exists(QDir(qEnvironmentVariable("JOTRAK_BIN_DIR")).filePath(QStringLiteral("jotrak"))),
                 "JOTRAK_BIN_DIR must name the folder of the built program");
    }

    void unusableDatabaseEndsTheStartAndStaysUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind :
             {"empty", "truncated header", "truncated half", "random bytes", "other program's sqlite", "access file",
              "missing table", "missing column", "newer schema version"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void unusableDatabaseEndsTheStartAndStaysUntouched()
    {
        QFETCH(QString, kind);
        ProgramCopy program;
        QVERIFY(program.ok());
        const QString db = program.database();
        if (kind == u"empty") {
            WriteFile(db, {});
        } else if (kind == u"truncated header") {
            MakeJotrakFile(db);
            Truncate(db, 1500);
        } else if (kind == u"truncated half") {
            MakeJotrakFile(db);
            Truncate(db, QFileInfo(db).size() / 2);
        } else if (kind == u"random bytes") {
            WriteFile(db, RandomBytes(256 * 1024, 7));
        } else if (kind == u"other program's sqlite") {
            RunSql(db, "CREATE TABLE contacts(name TEXT, phone TEXT); INSERT INTO contacts VALUES('a', '1');");
        } else if (kind == u"access file") {
            QByteArray bytes = RandomBytes(8192, 11);
            bytes.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
            WriteFile(db, bytes);
        } else if (kind == u"missing table") {
            MakeJotrakFile(db);
            RunSql(db, "DROP TABLE Tx;");
        } else if (kind == u"missing column") {
            MakeJotrakFile(db);
            RunSql(db, "ALTER TABLE RiNext DROP COLUMN wcqk;");
        } else if (kind == u"newer schema version") {
            MakeJotrakFile(db);
            RunSql(db, "PRAGMA user_version = 99;");
        }
        const QByteArray before = FileHash(db);
        const QStringList entriesBefore = program.dtEntries();

        const RunResult result = program.run();
        QVERIFY2(result.finished, qPrintable(QStringLiteral("the program did not end (a message box nobody can "
                                                            "answer?)\n") +
                                             Describe(result)));
        QVERIFY2(result.exitCode == 1, qPrintable(Describe(result)));
        QVERIFY2(result.output.contains(QStringLiteral("db.mdb")), qPrintable(Describe(result)));
        QCOMPARE(FileHash(db), before);
        QCOMPARE(program.dtEntries(), entriesBefore);
    }

    // The file cannot be written by the user running the program: it starts,
    // shows the stored goal and items, and a change is refused with a message
    // that names the cause; the file is left as it was.
    void readOnlyDatabaseShowsDataAndRefusesChanges()
    {
        if (!CanDropPrivileges())
            QSKIP("running as root without setpriv or runuser: cannot start the program as an unprivileged user");
        ProgramCopy program;
        MakeJotrakFile(program.database());
        QVERIFY(GiveToNobody(program.dtPath())); // the folder is writable, the file is not
        QVERIFY(QFile::setPermissions(program.database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray before = FileHash(program.database());

        const RunResult start = program.run(true);
        QVERIFY2(start.finished && start.exitCode == 0, qPrintable(Describe(start)));

        const ProbeReport report = RunProbe(program);
        QVERIFY2(report.exitCode == 0, qPrintable(report.output));
        QCOMPARE(report.goal, kDayGoal);
        QCOMPARE(report.items, 1);
        QVERIFY2(report.afterModify.contains(QString::fromUtf8("只读")), qPrintable(report.afterModify));
        QVERIFY2(report.afterAdd.contains(QString::fromUtf8("只读")), qPrintable(report.afterAdd));
        QCOMPARE(report.rowsAfterAdd, 1);
        QCOMPARE(FileHash(program.database()), before);
        QCOMPARE(JournalsBeside(program.database()), QStringList());
    }

    // Dt cannot be written (no journal can be made beside the file), the file
    // itself could be: the same as a read-only file.
    void readOnlyDtFolderShowsDataAndRefusesChanges()
    {
        if (!CanDropPrivileges())
            QSKIP("running as root without setpriv or runuser: cannot start the program as an unprivileged user");
        ProgramCopy program;
        MakeJotrakFile(program.database());
        QVERIFY(QFile::setPermissions(program.database(),
                                      QFile::permissions(program.database()) | QFile::WriteOther | QFile::WriteGroup));
        QVERIFY(QFile::setPermissions(program.dtPath(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                            QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup |
                                                            QFile::ExeGroup));
        if (::geteuid() != 0)
            QVERIFY(QFile::setPermissions(program.dtPath(), QFile::ReadOwner | QFile::ExeOwner));
        const QByteArray before = FileHash(program.database());

        const RunResult start = program.run(true);
        QVERIFY2(start.finished && start.exitCode == 0, qPrintable(Describe(start)));

        const ProbeReport report = RunProbe(program);
        QVERIFY2(report.exitCode == 0, qPrintable(report.output));
        QCOMPARE(report.goal, kDayGoal);
        QCOMPARE(report.items, 1);
        QVERIFY2(report.afterModify.contains(QString::fromUtf8("只读")), qPrintable(report.afterModify));
        QVERIFY2(report.afterAdd.contains(QString::fromUtf8("只读")), qPrintable(report.afterAdd));
        QCOMPARE(FileHash(program.database()), before);
    }

    void missingDtFolderIsMade()
    {
        ProgramCopy program;
        QVERIFY(QDir(program.dtPath()).removeRecursively());
        const RunResult result = program.run();
        QVERIFY2(result.finished && result.exitCode == 0, qPrintable(Describe(result)));
        ConnectionHolder connection;
        OpenDatabase(connection, program.database());
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::GoalByKey(Table::Ri, QStringLiteral("20371231")), connection);
        QVERIFY2(!IsAtEnd(rs), "the new database was not seeded");
    }

    // Dt is missing and the program's folder cannot be written: a message
    // saying so, exit code 1, and nothing made.
    void missingDtFolderThatCannotBeMadeIsReported()
    {
        if (!CanDropPrivileges())
            QSKIP("running as root without setpriv or runuser: cannot start the program as an unprivileged user");
        ProgramCopy program;
        QVERIFY(QDir(program.dtPath()).removeRecursively());
        if (::geteuid() != 0)
            QVERIFY(QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::ExeOwner));
        const RunResult result = program.run(true);
        QFile::setPermissions(program.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY2(result.finished && result.exitCode == 1, qPrintable(Describe(result)));
        QVERIFY2(result.output.contains(QStringLiteral("Dt")), qPrintable(Describe(result)));
        QVERIFY(!QFileInfo::exists(program.dtPath()));
    }

    void strangeMaximsFileDoesNotStopTheStart_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("binary") << QStringLiteral("binary");
        QTest::newRow("50 MB") << QStringLiteral("huge");
        QTest::newRow("one 1 MB line") << QStringLiteral("long line");
        QTest::newRow("a folder named gey.txt") << QStringLiteral("folder");
    }
    void strangeMaximsFileDoesNotStopTheStart()
    {
        QFETCH(QString, kind);
        ProgramCopy program;
        const QString maxims = program.dt(QStringLiteral("gey.txt"));
        QFile::remove(maxims);
        if (kind == u"binary") {
            WriteFile(maxims, RandomBytes(64 * 1024, 3));
        } else if (kind == u"huge") {
            const QByteArray line = QString::fromUtf8("千里之行,始于足下。").toUtf8() + "\r\n";
            QByteArray bytes;
            bytes.reserve(50 << 20);
            while (bytes.size() < (50 << 20))
                bytes += line;
            WriteFile(maxims, bytes);
        } else if (kind == u"long line") {
            WriteFile(maxims, QByteArray(1 << 20, 'x'));
        } else {
            QVERIFY(QDir().mkpath(maxims));
        }
        const QByteArray before = FileHash(maxims);
        const RunResult result = program.run();
        QVERIFY2(result.finished && result.exitCode == 0, qPrintable(Describe(result)));
        QCOMPARE(FileHash(maxims), before);
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
