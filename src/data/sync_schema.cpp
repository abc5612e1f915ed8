#include "data/sync_schema.h"

#include "data/record_access.h"

namespace jotrak {

QStringList SyncSchema()
{
    QStringList statements;
    for (const char* table : {"NianNext", "YueNext", "RiNext", "Tx"}) {
        const QLatin1String name(table);
        statements << QStringLiteral("ALTER TABLE %1 ADD COLUMN uid TEXT").arg(name)
                   << QStringLiteral("UPDATE %1 SET uid = lower(hex(randomblob(16)))").arg(name)
                   << QStringLiteral("CREATE UNIQUE INDEX %1_uid ON %1(uid)").arg(name)
                   << QStringLiteral("CREATE TRIGGER %1_uid AFTER INSERT ON %1 WHEN NEW.uid IS NULL BEGIN "
                                     "UPDATE %1 SET uid = lower(hex(randomblob(16))) WHERE IDME = NEW.IDME; END")
                          .arg(name);
    }
    statements << QStringLiteral("CREATE TABLE SyncApplied (device TEXT PRIMARY KEY, seq INTEGER NOT NULL)")
               << QStringLiteral("CREATE TABLE SyncOutbox (id INTEGER PRIMARY KEY AUTOINCREMENT, body BLOB NOT NULL)")
               << QStringLiteral(
                      "CREATE TABLE SyncStamp (tbl TEXT NOT NULL, rowKey TEXT NOT NULL, at INTEGER NOT NULL, "
                      "device TEXT NOT NULL, PRIMARY KEY (tbl, rowKey)) WITHOUT ROWID");
    return statements;
}

bool HasSyncTables(ConnectionHolder& connection)
{
    bool present = false;
    ReadRows(
        connection,
        {QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'SyncOutbox'"), {}, Table::Nian},
        [&](const std::vector<Value>&) {
            present = true;
            return false;
        });
    return present;
}

} // namespace jotrak
