#include "data/log_identity.h"

#include "data/record_access.h"

#include <sqlite3.h>

namespace jotrak {

namespace {

constexpr char kNewId[] = "lower(hex(randomblob(8)))";

} // namespace

QStringList LogIdentitySchema()
{
    return {QStringLiteral("CREATE TABLE LogIdentity (id TEXT NOT NULL)"),
            QStringLiteral("INSERT INTO LogIdentity (id) VALUES (%1)").arg(QLatin1String(kNewId))};
}

QString RenewLogId(sqlite3* db)
{
    const QByteArray sql = QByteArray("UPDATE LogIdentity SET id = ") + kNewId;
    char* error = nullptr;
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, &error) == SQLITE_OK && sqlite3_changes(db) == 1)
        return {};
    const QString text = error ? QString::fromUtf8(error) : QStringLiteral("the log has no id to renew");
    sqlite3_free(error);
    return text;
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
