#include "sync/sync_store.h"

#include "data/record_access.h"
#include "sync/synced_tables.h"

#include <sqlite3.h>

namespace jotrak {

namespace {

Statement Make(const QString& sql, std::vector<Value> params, Table table)
{
    return {sql, std::move(params), table};
}

QString IdentityColumn(const SyncedTable& t)
{
    switch (t.identity) {
    case SyncedTable::Identity::GoalKey: return QStringLiteral("ming");
    case SyncedTable::Identity::Uid: return QStringLiteral("uid");
    case SyncedTable::Identity::Number: return QStringLiteral("IDME");
    }
    return QStringLiteral("IDME");
}

std::optional<LocalRow> FirstRow(ConnectionHolder& connection, Table table, const QStringList& columns,
                                 const QString& where, const Value& key)
{
    std::optional<LocalRow> found;
    ReadRows(connection,
             Make(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ? ORDER BY IDME LIMIT 1")
                      .arg(columns.join(u','), TableName(table), where),
                  {key}, table),
             [&](const std::vector<Value>& row) {
                 LocalRow local;
                 for (int i = 0; i < columns.size(); ++i)
                     local.values[columns[i]] = row[static_cast<std::size_t>(i)];
                 local.id = local.values[QStringLiteral("IDME")].toInteger();
                 found = std::move(local);
                 return false;
             });
    return found;
}

} // namespace

QStringList TableColumns(ConnectionHolder& connection, Table table)
{
    QStringList columns;
    ReadRows(connection,
             Make(QStringLiteral("SELECT name FROM pragma_table_info(?) ORDER BY cid"), {TableName(table)}, table),
             [&](const std::vector<Value>& row) {
                 columns << row.front().toText();
                 return true;
             });
    return columns;
}

std::optional<QString> GoalKeyById(ConnectionHolder& connection, Table goalTable, qint64 id)
{
    std::optional<QString> key;
    ReadRows(connection,
             Make(QStringLiteral("SELECT ming FROM %1 WHERE IDME = ?").arg(TableName(goalTable)), {id}, goalTable),
             [&](const std::vector<Value>& row) {
                 key = row.front().toText();
                 return false;
             });
    return key;
}

std::optional<RowValues> RowById(ConnectionHolder& connection, Table table, qint64 id)
{
    const std::optional<LocalRow> row =
        FirstRow(connection, table, TableColumns(connection, table), QStringLiteral("IDME"), Value(id));
    return row ? std::optional<RowValues>(row->values) : std::nullopt;
}

std::optional<LocalRow> RowByName(ConnectionHolder& connection, Table table, const QString& name)
{
    const SyncedTable& t = SyncedTableOf(table);
    const Value key = t.identity == SyncedTable::Identity::Number ? Value(name.toLongLong()) : Value(name);
    return FirstRow(connection, table, QStringList{QStringLiteral("IDME")} + t.fields, IdentityColumn(t), key);
}

qint64 EnsureGoal(ConnectionHolder& connection, Table goalTable, const QString& key)
{
    if (const std::optional<LocalRow> goal = RowByName(connection, goalTable, key))
        return goal->id;
    return InsertRow(connection, goalTable,
                     {{QStringLiteral("ming"), Value(key)}, {QStringLiteral("nr"), Value(QString())}});
}

qint64 InsertRow(ConnectionHolder& connection, Table table, const RowValues& values)
{
    QStringList names;
    QStringList marks;
    std::vector<Value> params;
    for (const auto& [column, value] : values) {
        names << column;
        marks << QStringLiteral("?");
        params.push_back(value);
    }
    ExecuteStatement(
        connection,
        Make(
            QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(TableName(table), names.join(u','), marks.join(u',')),
            std::move(params), table));
    return sqlite3_last_insert_rowid(connection.handle());
}

void UpdateRow(ConnectionHolder& connection, Table table, qint64 id, const RowValues& values)
{
    if (values.empty())
        return;
    QStringList sets;
    std::vector<Value> params;
    for (const auto& [column, value] : values) {
        sets << column + QStringLiteral(" = ?");
        params.push_back(value);
    }
    params.push_back(Value(id));
    ExecuteStatement(connection,
                     Make(QStringLiteral("UPDATE %1 SET %2 WHERE IDME = ?").arg(TableName(table), sets.join(u',')),
                          std::move(params), table));
}

void DeleteRow(ConnectionHolder& connection, Table table, qint64 id)
{
    ExecuteStatement(connection,
                     Make(QStringLiteral("DELETE FROM %1 WHERE IDME = ?").arg(TableName(table)), {id}, table));
}

std::map<QString, qint64> ReadApplied(ConnectionHolder& connection)
{
    std::map<QString, qint64> applied;
    ReadRows(connection, Make(QStringLiteral("SELECT device, seq FROM SyncApplied"), {}, Table::Nian),
             [&](const std::vector<Value>& row) {
                 applied[row[0].toText()] = row[1].toInteger();
                 return true;
             });
    return applied;
}

void WriteApplied(ConnectionHolder& connection, const QString& device, qint64 seq)
{
    ExecuteStatement(connection, Make(QStringLiteral("INSERT INTO SyncApplied (device, seq) VALUES (?, ?) "
                                                     "ON CONFLICT (device) DO UPDATE SET seq = excluded.seq"),
                                      {device, seq}, Table::Nian));
}

void ForgetApplied(ConnectionHolder& connection, const QString& device)
{
    ExecuteStatement(connection,
                     Make(QStringLiteral("DELETE FROM SyncApplied WHERE device = ?"), {device}, Table::Nian));
}

std::optional<RowStamp> ReadStamp(ConnectionHolder& connection, Table table, const QString& rowName)
{
    std::optional<RowStamp> stamp;
    ReadRows(connection,
             Make(QStringLiteral("SELECT at, device FROM SyncStamp WHERE tbl = ? AND rowKey = ?"),
                  {TableName(table), rowName}, Table::Nian),
             [&](const std::vector<Value>& row) {
                 stamp = RowStamp{row[0].toInteger(), row[1].toText()};
                 return false;
             });
    return stamp;
}

void WriteStamp(ConnectionHolder& connection, Table table, const QString& rowName, const RowStamp& stamp)
{
    ExecuteStatement(connection, Make(QStringLiteral("INSERT OR REPLACE INTO SyncStamp (tbl, rowKey, at, device) "
                                                     "VALUES (?, ?, ?, ?)"),
                                      {TableName(table), rowName, stamp.at, stamp.device}, Table::Nian));
}

std::map<QString, RowStamp> ReadStamps(ConnectionHolder& connection, Table table)
{
    std::map<QString, RowStamp> stamps;
    ReadRows(
        connection,
        Make(QStringLiteral("SELECT rowKey, at, device FROM SyncStamp WHERE tbl = ?"), {TableName(table)}, Table::Nian),
        [&](const std::vector<Value>& row) {
            stamps[row[0].toText()] = RowStamp{row[1].toInteger(), row[2].toText()};
            return true;
        });
    return stamps;
}

void AppendToOutbox(ConnectionHolder& connection, const QByteArray& body)
{
    // kept as Base64 text: the record layer binds integers and texts
    ExecuteStatement(connection, Make(QStringLiteral("INSERT INTO SyncOutbox (body) VALUES (?)"),
                                      {QString::fromLatin1(body.toBase64())}, Table::Nian));
}

std::vector<OutboxEntry> ReadOutbox(ConnectionHolder& connection)
{
    std::vector<OutboxEntry> entries;
    ReadRows(connection, Make(QStringLiteral("SELECT id, body FROM SyncOutbox ORDER BY id"), {}, Table::Nian),
             [&](const std::vector<Value>& row) {
                 entries.push_back({row[0].toInteger(), QByteArray::fromBase64(row[1].toText().toLatin1())});
                 return true;
             });
    return entries;
}

void RemoveFromOutbox(ConnectionHolder& connection, qint64 id)
{
    ExecuteStatement(connection, Make(QStringLiteral("DELETE FROM SyncOutbox WHERE id = ?"), {id}, Table::Nian));
}

qint64 LastOutboxId(ConnectionHolder& connection)
{
    qint64 last = 0;
    ReadRows(connection, Make(QStringLiteral("SELECT coalesce(max(id), 0) FROM SyncOutbox"), {}, Table::Nian),
             [&](const std::vector<Value>& row) {
                 last = row.front().toInteger();
                 return false;
             });
    return last;
}

void RemoveFromOutboxUpTo(ConnectionHolder& connection, qint64 id)
{
    ExecuteStatement(connection, Make(QStringLiteral("DELETE FROM SyncOutbox WHERE id <= ?"), {id}, Table::Nian));
}

bool LogHasContent(ConnectionHolder& connection)
{
    bool any = false;
    ReadRows(connection,
             Make(QStringLiteral(
                      "SELECT EXISTS (SELECT 1 FROM Nian WHERE nr <> '') OR EXISTS (SELECT 1 FROM Yue WHERE nr <> '') "
                      "OR EXISTS (SELECT 1 FROM Ri WHERE nr <> '') OR EXISTS (SELECT 1 FROM NianNext) "
                      "OR EXISTS (SELECT 1 FROM YueNext) OR EXISTS (SELECT 1 FROM RiNext) "
                      "OR EXISTS (SELECT 1 FROM Tx) OR EXISTS (SELECT 1 FROM An WHERE wj <> '')"),
                  {}, Table::Nian),
             [&](const std::vector<Value>& row) {
                 any = row.front().toInteger() != 0;
                 return false;
             });
    return any;
}

} // namespace jotrak
