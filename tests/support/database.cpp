#include "support/database.h"

#include "data/seed.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <functional>

namespace jotrak::test {

namespace {

int Append(ConnectionHolder& c, Table table, const std::function<void(RecordsetHolder&)>& fill)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::ForAppending(table), c);
    AddNewRow(rs);
    fill(rs);
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    return id;
}

Value Field(RecordsetHolder& rs, const char* column)
{
    return GetFieldValue(rs, QString::fromLatin1(column));
}

} // namespace

TempDb::TempDb(bool seeded)
{
    OpenDatabase(connection, path());
    if (seeded)
        SeedPeriodTables(connection);
}

int AddGoal(ConnectionHolder& c, Table goalTable, const QString& key, const Value& text)
{
    return Append(c, goalTable, [&](RecordsetHolder& rs) {
        SetFieldValue(rs, QStringLiteral("ming"), key);
        SetFieldValue(rs, QStringLiteral("nr"), text);
    });
}

bool SetGoal(ConnectionHolder& c, Table goalTable, const QString& key, const Value& text)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalByKey(goalTable, key), c);
    if (IsAtEnd(rs))
        return false;
    SetFieldValue(rs, QStringLiteral("nr"), text);
    StoreRow(rs);
    return true;
}

Value GoalText(ConnectionHolder& c, Table goalTable, const QString& key)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalByKey(goalTable, key), c);
    return IsAtEnd(rs) ? Value(QStringLiteral("<no row>")) : Field(rs, "nr");
}

int GoalId(ConnectionHolder& c, Table goalTable, const QString& key)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalByKey(goalTable, key), c);
    return IsAtEnd(rs) ? -1 : Field(rs, "IDME").toInt();
}

int AddItem(ConnectionHolder& c, Table goalTable, int goalId, const Value& content, const Value& note, int done)
{
    return Append(c, ItemTableOf(goalTable), [&](RecordsetHolder& rs) {
        SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
        SetFieldValue(rs, QStringLiteral("nr"), content);
        SetFieldValue(rs, QStringLiteral("wcqk"), note);
        SetFieldValue(rs, QStringLiteral("IsOk"), done);
    });
}

int AddScheme(ConnectionHolder& c, const Value& rule, qint64 lifa, const Value& content, const Value& name)
{
    return Append(c, Table::Tx, [&](RecordsetHolder& rs) {
        SetFieldValue(rs, QStringLiteral("ming"), name);
        SetFieldValue(rs, QStringLiteral("nr"), content);
        SetFieldValue(rs, QStringLiteral("shijian"), rule);
        SetFieldValue(rs, QStringLiteral("lifa"), lifa);
    });
}

int AddScheme(ConnectionHolder& c, const QString& written, const QString& name)
{
    const qsizetype equals = written.indexOf(u'=');
    return AddScheme(c, written.mid(1, equals - 1), written.startsWith(u'L') ? 1 : 0, written.mid(equals + 1), name);
}

QList<Item> Items(ConnectionHolder& c, Table itemTable)
{
    QList<Item> items;
    RecordsetHolder rs;
    for (OpenRecordset(rs, stmt::SelectAll(itemTable), c); !IsAtEnd(rs); MoveToNext(rs))
        items.append({Field(rs, "IDME").toInt(), Field(rs, "ShangId").toInt(), Field(rs, "nr"), Field(rs, "wcqk"),
                      Field(rs, "IsOk").toInteger()});
    return items;
}

QList<Scheme> Schemes(ConnectionHolder& c)
{
    QList<Scheme> schemes;
    RecordsetHolder rs;
    for (OpenRecordset(rs, stmt::SelectSchemes(), c); !IsAtEnd(rs); MoveToNext(rs))
        schemes.append({Field(rs, "IDME").toInt(), TextFromValue(Field(rs, "ming")), TextFromValue(Field(rs, "nr")),
                        TextFromValue(Field(rs, "shijian")), Field(rs, "lifa").toInteger()});
    return schemes;
}

int CountRows(ConnectionHolder& c, Table table)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), c);
    return rs.rowCount();
}

QString IntegrityCheck(ConnectionHolder& c)
{
    QStringList lines;
    sqlite3_exec(
        c.handle(), "PRAGMA integrity_check",
        [](void* out, int, char** values, char**) {
            static_cast<QStringList*>(out)->append(QString::fromUtf8(values[0] ? values[0] : "NULL"));
            return 0;
        },
        &lines, nullptr);
    return lines.join(u'\n');
}

void RunSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

} // namespace jotrak::test
