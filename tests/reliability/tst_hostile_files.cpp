// Hostile files and folders, met by the built program itself. A start makes what
// is missing, in Dt beside the program when that can be written, else in the
// user's data folder; a strange maxims file is left as it is. A database it
// cannot use, or a data folder it cannot make or write, ends the start with a
// message naming it and exit code 1, and nothing is changed. A read-only file
// still shows the data and refuses a change with a clear message.

#include "support/bytes.h"
#include "support/database.h"
#include "support/program.h"

#include "data/seed.h"
#include "shell/app_context.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>

#include <unistd.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Every file under path (or path itself) with its hash.
QStringList State(const QString& path)
{
    QStringList state = {QString::fromLatin1(Sha256(path).toHex())};
    for (QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        state << it.next() + QString::fromLatin1(Sha256(it.filePath()).toHex());
    state.sort();
    return state;
}

// A seeded file with the day goal 今天的目标 on 20180101 and one item under it.
void MakeJotrakFile(const QString& path)
{
    ConnectionHolder c;
    OpenDatabase(c, path);
    SeedPeriodTables(c);
    AddItem(c, Table::Ri, SetGoal(c, Table::Ri, QStringLiteral("20180101"), QStringLiteral("今天的目标")),
            QStringLiteral("item"));
}

// A file at the place of db.mdb that is no usable Jotrak database.
void MakeHostileDatabase(const QString& kind, const QString& path)
{
    const auto truncate = [&](qint64 size) {
        MakeJotrakFile(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(size < 0 ? file.size() / 2 : size));
    };
    if (kind == u"empty") {
        QVERIFY(WriteBytes(path, {}));
    } else if (kind == u"random bytes") {
        QVERIFY(WriteBytes(path, RandomBytes(64 * 1024, 42)));
    } else if (kind == u"short") {
        QVERIFY(WriteBytes(path, "SQLite"));
    } else if (kind.startsWith(u"truncated")) {
        truncate(kind.endsWith(u"header") ? 1500 : -1);
    } else if (kind == u"access file") {
        QVERIFY(WriteBytes(path, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19) + RandomBytes(8192, 11)));
    } else if (kind == u"other program's sqlite") {
        QVERIFY(WriteBytes(path, {}));
        RunSql(path, "CREATE TABLE contacts(name TEXT, phone TEXT); INSERT INTO contacts VALUES('a', '1');");
    } else {
        MakeJotrakFile(path);
        RunSql(path, kind == u"missing table"    ? "DROP TABLE Tx;"
                     : kind == u"missing column" ? "ALTER TABLE RiNext DROP COLUMN wcqk;"
                                                 : "PRAGMA user_version = 99;");
    }
}

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void hostileFilesAndFolders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words"); // what the refusal says; empty: the start succeeds
        const char* const rows[][2] = {
            {"Dt as shipped", ""},
            {"no Dt", ""},
            {"read-only Dt", ""},
            {"binary maxims", ""},
            {"50 MB maxims", ""},
            {"one 1 MB maxims line", ""},
            {"maxims folder", ""},
            {"read-only db.mdb", ""},
            {"data folder under a file", "无法创建数据文件夹"},
            {"read-only data folder", "不能写入"},
            {"empty", "空"},
            {"random bytes", "无法识别"},
            {"short", "太短"},
            {"truncated header", "db.mdb"},
            {"truncated half", "db.mdb"},
            {"access file", "Access"},
            {"other program's sqlite", "不是 Jotrak"},
            {"missing table", "Tx"},
            {"missing column", "RiNext.wcqk"},
            {"newer schema version", "更新版本"},
        };
        for (const auto& [kind, words] : rows)
            QTest::newRow(kind) << kind << QString::fromUtf8(words);
    }
    void hostileFilesAndFolders()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        const bool asNobody = kind.startsWith(u"read-only");
        if (asNobody && !CanRunAsNobody())
            QSKIP("running as root without setpriv: cannot start the program as an unprivileged user");
        ProgramCopy program;
        const QString maxims = program.dt(QStringLiteral("gey.txt"));
        const QString elsewhere = program.folder() + QStringLiteral("/elsewhere");
        const bool ownDataFolder = kind.contains(u"data folder");
        if (kind == u"no Dt") {
            QVERIFY(QDir(program.dt()).removeRecursively());
        } else if (kind.contains(u"maxims")) {
            QFile::remove(maxims);
            QVERIFY(kind == u"maxims folder"
                        ? QDir().mkpath(maxims)
                        : WriteBytes(maxims, kind.startsWith(u"binary") ? RandomBytes(64 * 1024, 3)
                                             : kind.startsWith(u"50")
                                                 ? QStringLiteral("千里之行,始于足下。\r\n").toUtf8().repeated(1900000)
                                                 : QByteArray(1 << 20, 'x')));
        } else if (kind == u"data folder under a file") {
            QVERIFY(WriteBytes(elsewhere, "not a folder"));
        } else if (kind == u"read-only db.mdb") {
            MakeJotrakFile(program.database());
            QVERIFY(GiveToNobody(program.dt()) &&
                    QFile::setPermissions(program.database(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        } else if (!words.isEmpty() && !ownDataFolder) {
            MakeHostileDatabase(kind, program.database());
        }
        const QString readOnly = kind == u"read-only Dt" ? program.dt() : elsewhere;
        if (kind == u"read-only Dt" || kind == u"read-only data folder") {
            QVERIFY(QDir().mkpath(readOnly));
            if (::geteuid() != 0)
                QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
        }
        const auto state = [&] { return State(program.dt()) + State(elsewhere); };
        const QStringList before = state();
        const QByteArray maximsBefore = Sha256(maxims);
        const QString dataFolder = kind == u"data folder under a file" ? elsewhere + QStringLiteral("/Dt") : elsewhere;
        const RunResult result = program.run(
            asNobody, ownDataFolder ? QStringList{QStringLiteral("--data-dir"), dataFolder} : QStringList{});
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!words.isEmpty()) {
            QVERIFY2(result.exitCode == 1 && result.output.contains(words) &&
                         result.output.contains(ownDataFolder ? dataFolder : QStringLiteral("db.mdb")),
                     qPrintable(result.output));
            QCOMPARE(state(), before);
            QVERIFY(!QFileInfo::exists(program.userDt()));
            return;
        }
        QVERIFY2(result.exitCode == 0 && result.output.contains(QStringLiteral("JOTRAK_READY")),
                 qPrintable(result.output));
        const bool portable = kind != u"no Dt" && kind != u"read-only Dt";
        const QString data = portable ? program.dt() : program.userDt();
        if (portable)
            QCOMPARE(Sha256(maxims), maximsBefore);
        else
            QCOMPARE(state(), before);
        QVERIFY(QFile::exists(data + QStringLiteral("/gey.txt")));
        if (kind == u"read-only db.mdb") {
            const RunResult probe = Run({program.add(QStringLiteral("readonly_probe")), program.folder()}, true);
            QVERIFY2(
                probe.exitCode == 0 && probe.output.contains(QStringLiteral("goal 今天的目标\nitems 1\n")) &&
                    probe.output.contains(QRegularExpression(QStringLiteral("after-modify [^\n]*只读"))) &&
                    probe.output.contains(QRegularExpression(QStringLiteral("after-add [^\n]*只读[^\n]* rows 1\n"))),
                qPrintable(probe.output));
            QCOMPARE(state(), before);
        }
        ConnectionHolder c;
        OpenDatabase(c, DatabaseFile(data));
        QCOMPARE((QList<int>{CountRows(c, Table::Nian), CountRows(c, Table::Ri), CountRows(c, Table::An)}),
                 (QList<int>{20, 7305, 18}));
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
