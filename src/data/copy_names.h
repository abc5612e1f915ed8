#pragma once

#include <QDateTime>
#include <QString>

namespace jotrak {

// A copy of the database is named for the local moment it was made and the id
// of its log (log_identity.h): db-YYYYMMDD-HHMMSS-<id>.mdb. The copy made
// before a schema upgrade carries the version it holds:
// db-YYYYMMDD-HHMMSS-<id>-v4.mdb. A log without an id (a file of an older
// version) gives names without one, as older releases did.
QString BackupFileName(const QDateTime& at, const QString& logId = {});
QString UpgradeBackupFileName(const QDateTime& at, int schemaVersion, const QString& logId = {});

// What a copy's name stands for; time is invalid for any other name.
struct CopyName {
    QDateTime time;
    QString logId; // empty in a name without one
    bool beforeUpgrade = false;
};
CopyName ParseCopyName(const QString& name);

} // namespace jotrak
