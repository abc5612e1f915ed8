// Hostile files and folders met by the built program: told, exit code 1, nothing changed. (A refused change: tst_app.)

#include "support/bytes.h"
#include "support/database.h"
#include "support/program_files.h"
#include "data/seed.h"
#include "search/search_store.h"
#include "shell/app_context.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QTest>

#include <unistd.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Every file under path (or path itself) with its hash.
QStringList State(const QString& path)
{
    const auto hash = [](const QString& file) {
        return QString::fromLatin1(QCryptographicHash::hash(ReadBytes(file), QCryptographicHash::Sha256).toHex());
    };
    QStringList state = {hash(path)};
    for (QDirIterator it(path, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();)
        state << it.next() + hash(it.filePath());
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
        if (kind == u"missing column") // the search index's triggers read the column
            DropToVersion1(path);
        RunSql(path, kind == u"missing table"    ? "DROP TABLE Tx;"
                     : kind == u"missing column" ? "ALTER TABLE RiNext DROP COLUMN wcqk;"
                                                 : "PRAGMA user_version = 99;");
    }
}

// The built program in its own folder and home, offscreen, message boxes written out; as root run as "nobody".
struct ProgramCopy {
    QTemporaryDir dir;
    ProgramCopy()
    {
        QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ReadOther | QFile::ExeOther);
        testsupport::CopyProgramFiles(qEnvironmentVariable("JOTRAK_BIN_DIR"), dir.path());
        QDir(dir.path()).mkpath(QStringLiteral("home"));
        if (::geteuid() == 0)
            QVERIFY(::chown(QFile::encodeName(dir.filePath(QStringLiteral("home"))).constData(), 65534, 65534) == 0);
    }
    QString folder() const { return dir.path(); }
    QString dt(const QString& name = {}) const { return dir.filePath(QStringLiteral("Dt/") + name); }
    QString userDt() const { return dir.filePath(QStringLiteral("home/.local/share/Jotrak/Dt")); }
    // exit code (-1: it did not end by itself within a minute) and what it wrote
    std::pair<int, QString> run(QStringList command, bool asNobody) const
    {
        command << QStringLiteral("--unattended") << QStringLiteral("--report-paint")
                << QStringLiteral("--quit-after-startup") << QStringLiteral("0");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            env.remove(QString::fromLatin1(name));
        if (asNobody && ::geteuid() == 0)
            command =
                QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                command;
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setWorkingDirectory(QDir::tempPath()); // the program finds Dt beside itself, not here
        process.start(command.takeFirst(), command);
        const bool ended = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
        process.kill();
        process.waitForFinished();
        return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAll())};
    }
};

} // namespace

class TestHostileFiles : public QObject {
    Q_OBJECT

private slots:
    void hostileFilesAndFolders_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words"); // what the refusal says; empty: the start succeeds
        for (const char* kind : {"Dt as shipped", "no Dt", "read-only Dt", "binary maxims", "50 MB maxims",
                                 "one 1 MB maxims line", "maxims folder", "read-only db.mdb"})
            QTest::newRow(kind) << kind << QString();
        const char* const rows[][2] = {
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
            MakeJotrakFile(program.dt(QStringLiteral("db.mdb")));
            DropToVersion1(program.dt(QStringLiteral("db.mdb")));
            QVERIFY(QFile::setPermissions(program.dt(QStringLiteral("db.mdb")), QFile::ReadOwner | QFile::ReadOther));
            QVERIFY(::geteuid() != 0 || ::chown(QFile::encodeName(program.dt()).constData(), 65534, 65534) == 0);
        } else if (!words.isEmpty() && !ownDataFolder) {
            MakeHostileDatabase(kind, program.dt(QStringLiteral("db.mdb")));
        }
        const QString readOnly = kind == u"read-only Dt" ? program.dt() : elsewhere;
        if (kind == u"read-only Dt" || kind == u"read-only data folder") {
            QVERIFY(QDir().mkpath(readOnly));
            if (::geteuid() != 0)
                QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ExeOwner));
        }
        const auto state = [&] { return State(program.dt()) + State(elsewhere); };
        const QStringList before = state();
        const QByteArray maximsBefore = ReadBytes(maxims);
        const QString dataFolder = kind == u"data folder under a file" ? elsewhere + QStringLiteral("/Dt") : elsewhere;
        QStringList command = {program.folder() + QStringLiteral("/jotrak")};
        if (ownDataFolder)
            command << QStringLiteral("--data-dir") << dataFolder;
        const auto [exitCode, output] = program.run(command, asNobody);
        QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!words.isEmpty()) {
            QVERIFY2(exitCode == 1 && output.contains(words) &&
                         output.contains(ownDataFolder ? dataFolder : QStringLiteral("db.mdb")),
                     qPrintable(output));
            QCOMPARE(state(), before);
            QVERIFY(!QFileInfo::exists(program.userDt()));
            return;
        }
        QVERIFY2(exitCode == 0 && output.contains(QStringLiteral("JOTRAK_READY")), qPrintable(output));
        const bool portable = kind != u"no Dt" && kind != u"read-only Dt";
        const QString data = portable ? program.dt() : program.userDt();
        if (portable && kind != u"read-only db.mdb")
            QCOMPARE(ReadBytes(maxims), maximsBefore);
        else
            QCOMPARE(state(), before);
        QVERIFY(QFile::exists(data + QStringLiteral("/gey.txt")));
        ConnectionHolder c;
        OpenDatabaseForReading(c, DatabaseFile(data)); // as the search reads it
        QCOMPARE(SearchLog(c, {QStringLiteral("今天的目标")}, {}, 0, {}).total, int(kind == u"read-only db.mdb"));
        QCOMPARE((QList<int>{CountRows(c, Table::Nian), CountRows(c, Table::Ri), CountRows(c, Table::An)}),
                 (QList<int>{20, 7305, 18}));
    }

    // A portable copy of an installed tree (bin/jotrak, bin/Dt, share/jotrak/Dt) started for the first time;
    // the files are given while Qt starts, and a folder that cannot take them stops the start with the reason.
    void aPortableDtGetsTheShippedFilesItLacks_data()
    {
        QTest::addColumn<bool>("recordBlocked"); // the record of the copies given is a folder
        QTest::newRow("given") << false;
        QTest::newRow("record cannot be written") << true;
    }
    void aPortableDtGetsTheShippedFilesItLacks()
    {
        QFETCH(bool, recordBlocked);
        ProgramCopy program;
        const QDir bin(program.folder() + QStringLiteral("/bin"));
        QVERIFY(bin.mkpath(QStringLiteral("Dt")) && QDir().mkpath(ShippedFilesDir(bin.path())));
        QVERIFY(!recordBlocked || bin.mkpath(QStringLiteral("Dt/.shipped")));
        QVERIFY(testsupport::LinkOrCopy(program.folder() + QStringLiteral("/jotrak"),
                                        bin.filePath(QStringLiteral("jotrak"))));
        const QDir shipped(ShippedFilesDir(bin.path()));
        for (const char* name : {"gey.txt", "1.xls", "start.html"})
            QVERIFY(QFile::copy(program.dt(QString::fromLatin1(name)), shipped.filePath(QString::fromLatin1(name))));
        const auto [exitCode, output] = program.run({bin.filePath(QStringLiteral("jotrak"))}, false);
        QVERIFY(!QFileInfo::exists(program.userDt()));
        if (recordBlocked) {
            QVERIFY2(exitCode == 1 && output.contains(QStringLiteral("无法在数据文件夹")) &&
                         output.contains(bin.filePath(QStringLiteral("Dt"))),
                     qPrintable(output));
            QVERIFY(!QFileInfo::exists(bin.filePath(QStringLiteral("Dt/db.mdb"))));
            return;
        }
        QVERIFY2(exitCode == 0 && output.contains(QStringLiteral("JOTRAK_READY")), qPrintable(output));
        for (const char* name : {"gey.txt", "1.xls", "start.html"})
            QCOMPARE(ReadBytes(bin.filePath(QStringLiteral("Dt/") + QString::fromLatin1(name))),
                     ReadBytes(shipped.filePath(QString::fromLatin1(name))));
        QVERIFY(QFile::exists(bin.filePath(QStringLiteral("Dt/db.mdb"))));
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostile_files.moc"
