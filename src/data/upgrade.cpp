#include "data/upgrade.h"

#include "data/database_copy.h"
#include "data/record_access.h"
#include "data/schema.h"
#include "data/schema_steps.h"

#include <sqlite3.h>

#include <QDir>

namespace jotrak {

namespace {

int FileVersion(ConnectionHolder& connection)
{
    int version = 0;
    ReadRows(connection, {QStringLiteral("PRAGMA user_version"), {}, Table::Nian}, [&](const std::vector<Value>& row) {
        version = row.front().toInt();
        return false;
    });
    return version;
}

} // namespace

QString UpgradeDatabase(ConnectionHolder& connection, const std::function<void()>& beforeUpgrade)
{
    try {
        const int version = FileVersion(connection);
        if (version >= kSchemaVersion || sqlite3_db_readonly(connection.handle(), "main") == 1)
            return {};
        if (beforeUpgrade)
            beforeUpgrade();
        const BackupResult copy =
            BackupBeforeUpgrade(connection.handle(), QDir::fromNativeSeparators(connection.path()), version);
        if (!copy.ok)
            return copy.reason;
        Transaction transaction(connection);
        for (const SchemaStep& step : SchemaSteps())
            if (step.version > version)
                for (const QString& sql : step.statements())
                    ExecuteStatement(connection, {sql, {}, Table::Nian});
        ExecuteStatement(connection, {QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion), {}, Table::Nian});
        transaction.commit();
        // the statements of the change are not needed again
        connection.clearCache();
        return {};
    } catch (const DatabaseError& error) {
        connection.clearCache();
        return error.message();
    }
}

} // namespace jotrak
