#include "support/hostile_files.h"

#include "support/bytes.h"
#include "support/database.h"

#include "data/seed.h"

#include <QTest>

namespace jotrak::test {

std::span<const HostileFile> HostileFiles()
{
    static const HostileFile kFiles[] = {
        {"empty", u"空"},
        {"random bytes", u"无法识别"},
        {"short", u"太短"},
        {"truncated header", u"db.mdb"},
        {"truncated half", u"db.mdb"},
        {"access file", u"Access"},
        {"other program's sqlite", u"不是 Jotrak"},
        {"missing table", u"Tx"},
        {"missing column", u"RiNext.wcqk"},
        {"newer schema version", u"更新版本"},
    };
    return kFiles;
}

void MakeJotrakFile(const QString& path)
{
    ConnectionHolder connection;
    OpenDatabase(connection, path);
    SeedPeriodTables(connection);
    AddItem(connection, Table::Ri,
            SetGoal(connection, Table::Ri, QStringLiteral("20180101"), QStringLiteral("今天的目标")),
            QStringLiteral("item"));
}

void MakeHostileFile(const QString& kind, const QString& path)
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
    } else if (kind == u"truncated header") {
        truncate(1500);
    } else if (kind == u"truncated half") {
        truncate(-1);
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

} // namespace jotrak::test
