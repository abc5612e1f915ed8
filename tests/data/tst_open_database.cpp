#include "data_test_util.h"

#include <sqlite3.h>

#include <QDir>
#include <QRandomGenerator>
#include <QTest>

using namespace jotrak;
using namespace jotrak::testutil;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Makes a SQLite file with raw statements, as another program would.
void MakeSqliteFile(const QString& path, const char* sql)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

// A new Jotrak file copied to path, to be damaged by the caller.
void CopyFreshJotrakFile(QTemporaryDir& dir, const QString& path)
{
    const QString fresh = dir.filePath(QStringLiteral("fresh/db.mdb"));
    {
        ConnectionHolder c;
        OpenDatabase(c, fresh);
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QVERIFY(QFile::copy(fresh, path));
}

} // namespace

class TestOpenDatabase : public QObject {
    Q_OBJECT
private slots:
    void createsMissingFileAndFolder()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no/such/Dt/db.mdb"));
        ConnectionHolder c;
        OpenDatabase(c, path);
        QVERIFY(c.isOpen());
        QVERIFY(QFileInfo::exists(path));
        const QStringList leftovers = QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files);
        QCOMPARE(leftovers, QStringList{QStringLiteral("db.mdb")});
    }

    void reopensItsOwnFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        CopyFreshJotrakFile(dir, path);
        ConnectionHolder c;
        OpenDatabase(c, path);
        QVERIFY(c.isOpen());
    }

    void refusesForeignFilesWithoutTouchingThem_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expectedWords");
        QTest::newRow("empty") << "empty" << QString::fromUtf8("空");
        QTest::newRow("random bytes") << "random" << QString::fromUtf8("无法识别");
        QTest::newRow("short file") << "short" << QString::fromUtf8("太短");
        QTest::newRow("truncated sqlite") << "truncated" << QString::fromUtf8("db.mdb");
        QTest::newRow("access file") << "access" << QStringLiteral("Access");
        QTest::newRow("other program's sqlite") << "other" << QString::fromUtf8("不是 Jotrak");
        QTest::newRow("missing table") << "missingTable" << QStringLiteral("Tx");
        QTest::newRow("missing column") << "missingColumn" << QStringLiteral("RiNext.wcqk");
        QTest::newRow("newer version") << "newer" << QString::fromUtf8("更新版本");
    }
    void refusesForeignFilesWithoutTouchingThem()
    {
        QFETCH(QString, kind);
        QFETCH(QString, expectedWords);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        if (kind == u"empty") {
            WriteFile(path, {});
        } else if (kind == u"random") {
            QByteArray bytes(64 * 1024, '\0');
            QRandomGenerator rng(42);
            for (char& b : bytes)
                b = static_cast<char>(rng.bounded(256));
            WriteFile(path, bytes);
        } else if (kind == u"short") {
            WriteFile(path, QByteArray("SQLite"));
        } else if (kind == u"truncated") {
            CopyFreshJotrakFile(dir, path);
            QFile fresh(path);
            QVERIFY(fresh.open(QIODevice::ReadWrite));
            QVERIFY(fresh.resize(1500));
        } else if (kind == u"access") {
            QByteArray bytes(4096, '\0');
            bytes.replace(0, 19, QByteArray("\x00\x01\x00\x00Standard Jet DB", 19));
            WriteFile(path, bytes);
        } else if (kind == u"other") {
            MakeSqliteFile(path, "CREATE TABLE contacts(name TEXT, phone TEXT); INSERT INTO contacts VALUES('a','1');");
        } else if (kind == u"missingTable") {
            CopyFreshJotrakFile(dir, path);
            MakeSqliteFile(path, "DROP TABLE Tx;");
        } else if (kind == u"missingColumn") {
            CopyFreshJotrakFile(dir, path);
            MakeSqliteFile(path, "ALTER TABLE RiNext DROP COLUMN wcqk;");
        } else if (kind == u"newer") {
            CopyFreshJotrakFile(dir, path);
            MakeSqliteFile(path, "PRAGMA user_version = 99;");
        }
        const QByteArray before = FileHash(path);
        ConnectionHolder c;
        try {
            OpenDatabase(c, path);
            QFAIL("a foreign file must be refused");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.message().contains(expectedWords), qPrintable(e.message()));
            QVERIFY2(e.message().contains(QStringLiteral("db.mdb")), qPrintable(e.message()));
        }
        QVERIFY(!c.isOpen());
        QCOMPARE(FileHash(path), before);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
    }

    void folderThatCannotBeCreatedIsReported()
    {
        QTemporaryDir dir;
        WriteFile(dir.filePath(QStringLiteral("Dt")), QByteArray("a file where the folder should be"));
        ConnectionHolder c;
        QVERIFY_THROWS_EXCEPTION(DatabaseError, OpenDatabase(c, dir.filePath(QStringLiteral("Dt/db.mdb"))));
    }
};

QTEST_GUILESS_MAIN(TestOpenDatabase)
#include "tst_open_database.moc"
