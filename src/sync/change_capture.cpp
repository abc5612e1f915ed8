#include "sync/change_capture.h"

#include "data/schema.h"
#include "sync/changeset_reader.h"
#include "sync/sync_store.h"
#include "sync/synced_tables.h"

#include <sqlite3.h>

#include <QDateTime>
#include <QRandomGenerator>

namespace jotrak {

namespace {

Value At(const std::vector<std::optional<Value>>& values, const QStringList& columns, const QString& column)
{
    const qsizetype i = columns.indexOf(column);
    if (i < 0 || i >= static_cast<qsizetype>(values.size()) || !values[static_cast<std::size_t>(i)])
        return Value::Null();
    return *values[static_cast<std::size_t>(i)];
}

} // namespace

QString NewRandomId()
{
    quint32 words[4];
    QRandomGenerator::system()->fillRange(words);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(words), sizeof words).toHex());
}

QString StampKey(const QString& rowName, const QString& field)
{
    return rowName + u'/' + field;
}

std::map<QString, QStringList> SyncedColumns(ConnectionHolder& connection)
{
    std::map<QString, QStringList> columns;
    for (const SyncedTable& t : SyncedTables())
        columns[TableName(t.table)] = TableColumns(connection, t.table);
    return columns;
}

void DescribeChangeset(ConnectionHolder& connection, ChangeFile& file, std::map<QString, QStringList>* changed)
{
    const QString idColumn = QStringLiteral("IDME");
    QString problem;
    ReadChangeset(
        file.changeset,
        [&](const ChangeEntry& entry) {
            const SyncedTable* t = FindSyncedTable(entry.table);
            if (!t)
                return;
            const QStringList& columns = file.columns[entry.table];
            const bool deleted = entry.op == ChangeEntry::Op::Delete;
            const auto& values = entry.op == ChangeEntry::Op::Insert ? entry.after : entry.before;
            const qint64 id = At(values, columns, idColumn).toInteger();
            QString name;
            if (t->identity == SyncedTable::Identity::GoalKey) {
                name = entry.op == ChangeEntry::Op::Update ? GoalKeyById(connection, t->table, id).value_or(QString())
                                                           : At(values, columns, QStringLiteral("ming")).toText();
                file.goalKeys[entry.table][id] = name;
            } else if (t->identity == SyncedTable::Identity::Number) {
                name = QString::number(id);
            } else {
                name = At(values, columns, QStringLiteral("uid")).toText();
            }
            if (entry.op == ChangeEntry::Op::Update && t->identity != SyncedTable::Identity::GoalKey) {
                const std::optional<RowValues> row = RowById(connection, t->table, id);
                if (row) {
                    file.rows[entry.table][id] = *row;
                    if (t->identity == SyncedTable::Identity::Uid)
                        name = row->at(QStringLiteral("uid")).toText();
                }
            }
            if (t->goalTable) {
                const qint64 goalId = entry.op == ChangeEntry::Op::Update && file.rows[entry.table].count(id)
                                          ? file.rows[entry.table][id][QStringLiteral("ShangId")].toInteger()
                                          : At(values, columns, QStringLiteral("ShangId")).toInteger();
                const QString goalName = TableName(*t->goalTable);
                if (!file.goalKeys[goalName].count(goalId))
                    if (const std::optional<QString> key = GoalKeyById(connection, *t->goalTable, goalId))
                        file.goalKeys[goalName][goalId] = *key;
            }
            if (!changed || name.isEmpty())
                return;
            if (deleted) {
                (*changed)[entry.table] << StampKey(name, QString());
                return;
            }
            for (const QString& field : t->fields) {
                const qsizetype i = columns.indexOf(field);
                if (i >= 0 && i < static_cast<qsizetype>(entry.after.size()) &&
                    entry.after[static_cast<std::size_t>(i)])
                    (*changed)[entry.table] << StampKey(name, field);
            }
        },
        &problem);
}

ChangeCapture::ChangeCapture(ConnectionHolder& connection, SyncDevice device, std::function<void()> committed)
    : db_(connection.handle()), device_(std::move(device)), committed_(std::move(committed)),
      columns_(SyncedColumns(connection))
{
    restart();
}

ChangeCapture::~ChangeCapture()
{
    if (session_)
        sqlite3session_delete(session_);
}

void ChangeCapture::restart()
{
    if (session_)
        sqlite3session_delete(session_);
    session_ = nullptr;
    if (sqlite3session_create(db_, "main", &session_) != SQLITE_OK) {
        session_ = nullptr;
        return;
    }
    for (const SyncedTable& t : SyncedTables())
        sqlite3session_attach(session_, TableName(t.table).toUtf8().constData());
}

void ChangeCapture::beforeCommit(ConnectionHolder& connection)
{
    if (!session_ || sqlite3session_isempty(session_))
        return;
    int size = 0;
    void* bytes = nullptr;
    const int rc = sqlite3session_changeset(session_, &size, &bytes);
    ChangeFile file;
    if (rc == SQLITE_OK)
        file.changeset = QByteArray(static_cast<const char*>(bytes), size);
    sqlite3_free(bytes);
    restart();
    if (rc != SQLITE_OK)
        throw DatabaseError(rc, QString::fromUtf8("记录要同步的修改时出错,修改没有保存。"),
                            QString::fromUtf8(sqlite3_errstr(rc)));
    if (file.changeset.isEmpty())
        return;
    file.device = device_.id;
    file.deviceName = device_.name;
    file.time = QDateTime::currentMSecsSinceEpoch();
    file.captureId = NewRandomId();
    file.schema = kSchemaVersion;
    file.seen = ReadApplied(connection);
    file.columns = columns_;
    std::map<QString, QStringList> names;
    DescribeChangeset(connection, file, &names);
    for (const auto& [table, rows] : names)
        if (const SyncedTable* t = FindSyncedTable(table))
            for (const QString& name : rows)
                WriteStamp(connection, t->table, name, RowStamp{file.time, file.device});
    AppendToOutbox(connection, EncodeChangeFile(file));
    captured_ = true;
}

void ChangeCapture::afterCommit() noexcept
{
    if (captured_ && committed_)
        committed_();
    captured_ = false;
}

void ChangeCapture::afterRollback() noexcept
{
    captured_ = false;
    restart();
}

} // namespace jotrak
