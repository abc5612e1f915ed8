#include "data/log_identity.h"

#include "data/record_access.h"

#include <sqlite3.h>

namespace jotrak {

QStringList LogIdentitySchema()
{
    return {QStringLiteral("CREATE TABLE LogIdentity (id TEXT NOT NULL)"),
            QStringLiteral("INSERT INTO LogIdentity (id) VALUES (lower(hex(randomblob(8))))")};
}

QString ReadLogId(sqlite3* db)
{
    sqlite3_stmt* st = nullptr;
    QString id;
    if (db && sqlite3_prepare_v2(db, "SELECT id FROM LogIdentity LIMIT 1", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        id = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    return id;
}

void WriteLogId(ConnectionHolder& connection, const QString& id)
{
    ExecuteStatement(connection, {QStringLiteral("UPDATE LogIdentity SET id = ?"), {id}, Table::Nian});
}

} // namespace jotrak
