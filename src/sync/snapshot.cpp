#include "sync/snapshot.h"

#include "data/record_access.h"
#include "data/schema.h"
#include "sync/sync_store.h"
#include "sync/synced_tables.h"

#include <sqlite3.h>

#include <QDateTime>

namespace jotrak {

namespace {

constexpr const char* kBase = "jotrak_sync_base";

void Run(sqlite3* db, const QString& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString words = QString::fromUtf8(error ? error : "");
        sqlite3_free(error);
        throw DatabaseError(sqlite3_extended_errcode(db), QString::fromUtf8("生成同步快照时出错。"), words);
    }
}

QString CreateStatement(ConnectionHolder& connection, Table table)
{
    QString sql;
    ReadRows(
        connection,
        {QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"), {TableName(table)}, table},
        [&](const std::vector<Value>& row) {
            sql = row.front().toText();
            return false;
        });
    // "CREATE TABLE Nian (...)" made in the empty base instead
    return sql.replace(0, QStringLiteral("CREATE TABLE ").size(),
                       QStringLiteral("CREATE TABLE %1.").arg(QLatin1String(kBase)));
}

// Runs the diff of every synced table against the base: each row of the log
// that the base lacks comes out as an insert.
QByteArray DiffAgainstBase(sqlite3* db)
{
    sqlite3_session* session = nullptr;
    int rc = sqlite3session_create(db, "main", &session);
    for (const SyncedTable& t : SyncedTables()) {
        const QByteArray name = TableName(t.table).toUtf8();
        if (rc == SQLITE_OK)
            rc = sqlite3session_attach(session, name.constData());
        char* error = nullptr;
        if (rc == SQLITE_OK)
            rc = sqlite3session_diff(session, kBase, name.constData(), &error);
        sqlite3_free(error);
    }
    int size = 0;
    void* bytes = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3session_changeset(session, &size, &bytes);
    QByteArray changeset(static_cast<const char*>(bytes), rc == SQLITE_OK ? size : 0);
    sqlite3_free(bytes);
    if (session)
        sqlite3session_delete(session);
    if (rc != SQLITE_OK)
        throw DatabaseError(rc, QString::fromUtf8("生成同步快照时出错。"), QString::fromUtf8(sqlite3_errstr(rc)));
    return changeset;
}

} // namespace

ChangeFile MakeSnapshot(ConnectionHolder& connection, const SyncDevice& device, qint64 seq, qint64* outboxCovered)
{
    sqlite3* db = connection.handle();
    ChangeFile file;
    file.kind = ChangeFile::Kind::Snapshot;
    file.device = device.id;
    file.deviceName = device.name;
    file.seq = seq;
    file.time = QDateTime::currentMSecsSinceEpoch();
    file.captureId = NewRandomId();
    file.schema = kSchemaVersion;
    Run(db, QStringLiteral("ATTACH ':memory:' AS %1").arg(QLatin1String(kBase)));
    try {
        for (const SyncedTable& t : SyncedTables()) {
            Run(db, CreateStatement(connection, t.table));
            if (t.identity == SyncedTable::Identity::GoalKey) // the seeded keys with no text stay out
                Run(db, QStringLiteral("INSERT INTO %1.%2 SELECT * FROM main.%2 WHERE coalesce(nr, '') = ''")
                            .arg(QLatin1String(kBase), TableName(t.table)));
        }
        Transaction reading(connection); // one consistent state of the log
        file.changeset = DiffAgainstBase(db);
        file.seen = ReadApplied(connection);
        *outboxCovered = LastOutboxId(connection);
        file.seen[device.id] = seq;
        for (const SyncedTable& t : SyncedTables()) {
            std::map<QString, RowStamp> stamps = ReadStamps(connection, t.table);
            if (!stamps.empty())
                file.stamps[TableName(t.table)] = std::move(stamps);
        }
        file.columns = SyncedColumns(connection);
        DescribeChangeset(connection, file);
        reading.commit();
    } catch (...) {
        sqlite3_exec(db, "DETACH jotrak_sync_base", nullptr, nullptr, nullptr);
        throw;
    }
    Run(db, QStringLiteral("DETACH %1").arg(QLatin1String(kBase)));
    return file;
}

} // namespace jotrak
