#include "support/database.h"

#include "data/seed.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

namespace jotrak::test {

TempDb::TempDb(bool seeded)
{
    OpenDatabase(connection, path());
    if (seeded)
        SeedPeriodTables(connection);
}

int GoalId(ConnectionHolder& c, Table goalTable, const QString& key)
{
    return FindGoalId(c, goalTable, key).value_or(-1);
}

int SetGoal(ConnectionHolder& c, Table goalTable, const QString& key, const QString& text)
{
    return StoreGoalText(c, goalTable, key, text) ? GoalId(c, goalTable, key) : -1;
}

QString GoalText(ConnectionHolder& c, Table goalTable, const QString& key)
{
    return ReadGoalText(c, goalTable, key).value_or(QStringLiteral("<no row>"));
}

int AddItem(ConnectionHolder& c, Table goalTable, int goalId, const QString& content, const QString& note, bool done)
{
    const int id = AppendWorkItem(c, goalTable, goalId, content);
    if (!note.isEmpty() || done)
        ChangeWorkItem(c, goalTable, id, content, note, done);
    return id;
}

std::vector<WorkItem> Items(ConnectionHolder& c, Table goalTable, const QString& key)
{
    return ListWorkItems(c, goalTable, GoalId(c, goalTable, key));
}

int AddScheme(ConnectionHolder& c, const QString& written, const QString& name)
{
    const qsizetype equals = written.indexOf(u'=');
    return AppendScheme(c, {name, written.mid(equals + 1), written.mid(1, equals - 1), written.startsWith(u'L')});
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
