#pragma once

#include <QDateTime>
#include <QStringList>

namespace jotrak {

// A backup is named for the local moment it was made: db-YYYYMMDD-HHMMSS.mdb.
// The copy made before a schema upgrade carries the version it holds:
// db-YYYYMMDD-HHMMSS-v1.mdb.
QString BackupFileName(const QDateTime& at);
QString UpgradeBackupFileName(const QDateTime& at, int schemaVersion);

// The moment a backup's name stands for; invalid for any other name.
// *beforeUpgrade tells a copy made before a schema upgrade.
QDateTime BackupTimeOfName(const QString& name, bool* beforeUpgrade = nullptr);

// Which of names to remove: kept are every copy of the 14 most recent days
// that have one (a copy made by hand, or before a restore, keeps the day's
// earlier ones), and the newest copy of each of the 12 most recent months
// before those days. Copies made before an upgrade and every other name are
// never removed.
QStringList BackupsToRemove(const QStringList& names);

inline constexpr int kDailyBackupsKept = 14;
inline constexpr int kMonthlyBackupsKept = 12;

} // namespace jotrak
