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

int FileVersion(ConnectionHolder& c)
{
    int version = -1;
    ReadRows(c, {QStringLiteral("PRAGMA user_version"), {}, Table::Nian}, [&](const std::vector<Value>& row) {
        version = row.front().toInt();
        return false;
    });
    return version;
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

QString SearchIndexProblem(ConnectionHolder& c)
{
    const auto single = [&](const QString& sql) {
        QString value = QStringLiteral("<failed>");
        sqlite3_exec(
            c.handle(), sql.toUtf8().constData(),
            [](void* out, int, char** values, char**) {
                *static_cast<QString*>(out) = QString::fromUtf8(values[0] ? values[0] : "");
                return 0;
            },
            &value, nullptr);
        return value;
    };
    if (sqlite3_exec(c.handle(), "INSERT INTO SouFts(SouFts) VALUES('integrity-check')", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return QStringLiteral("integrity-check: ") + QString::fromUtf8(sqlite3_errmsg(c.handle()));
    QStringList texts;
    for (const char* goal : {"Nian", "Yue", "Ri"}) {
        texts << QStringLiteral("SELECT nr AS t FROM %1 WHERE nr <> ''").arg(QLatin1String(goal));
        for (const char* column : {"nr", "wcqk"})
            texts << QStringLiteral("SELECT i.%2 FROM %1Next i JOIN %1 g ON g.IDME = i.ShangId WHERE i.%2 <> ''")
                         .arg(QLatin1String(goal), QLatin1String(column));
    }
    const QString all = QStringLiteral("SELECT group_concat(t, char(1)) FROM (SELECT t FROM (%1) ORDER BY t)");
    const QString expected = single(all.arg(texts.join(QStringLiteral(" UNION ALL "))));
    const QString indexed = single(all.arg(QStringLiteral("SELECT nr AS t FROM Sou")));
    return expected == indexed ? QString()
                               : QStringLiteral("the index holds %1 texts, the tables %2")
                                     .arg(indexed.count(u'\x01') + 1)
                                     .arg(expected.count(u'\x01') + 1);
}

void RunSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QCOMPARE(rc, SQLITE_OK);
}

void DropToVersion1(const QString& path)
{
    QByteArray sql = "BEGIN;";
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    sqlite3_exec(
        db, "SELECT name FROM sqlite_master WHERE type = 'trigger'",
        [](void* out, int, char** values, char**) {
            *static_cast<QByteArray*>(out) += QByteArray("DROP TRIGGER ") + values[0] + ';';
            return 0;
        },
        &sql, nullptr);
    sqlite3_close(db);
    RunSql(path, sql + "DROP TABLE SouFts; DROP TABLE Sou; DROP TABLE SouGram; DROP TABLE SouQueue; "
                       "PRAGMA user_version = 1; COMMIT;");
}

} // namespace jotrak::test
