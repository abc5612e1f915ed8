#pragma once

#include <QDateTime>
#include <QString>

namespace jotrak {

// A copy of the database is named for the local moment it was made:
// db-YYYYMMDD-HHMMSS.mdb. The copy made before a schema upgrade carries the
// version it holds: db-YYYYMMDD-HHMMSS-v1.mdb.
QString BackupFileName(const QDateTime& at);
QString UpgradeBackupFileName(const QDateTime& at, int schemaVersion);

// The moment a copy's name stands for; invalid for any other name.
// *beforeUpgrade tells a copy made before a schema upgrade.
QDateTime BackupTimeOfName(const QString& name, bool* beforeUpgrade = nullptr);

} // namespace jotrak
