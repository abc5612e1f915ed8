#pragma once

#include "data/database_copy.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>
#include <mutex>

struct sqlite3;

namespace jotrak {

class ConnectionHolder;

// One copy in a backup folder, newest first in a listing.
struct BackupInfo {
    QString path;
    QDateTime time;
    qint64 size = 0;
    bool beforeUpgrade = false;
    int goals = -1; // goals with a text; -1 when the copy cannot be read
    int items = -1;
};

// Copies the database open on connection into folder as
// db-YYYYMMDD-HHMMSS.mdb (the local moment now; the next free second when that
// name is taken), checked (CopyDatabaseInto); then the copies BackupsToRemove
// names are removed. Never throws; a set stop flag ends it between two steps,
// leaving nothing behind.
BackupResult MakeBackup(ConnectionHolder& connection, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop = nullptr);
// The same on a bare engine connection to the file at databasePath.
BackupResult MakeBackup(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop = nullptr);

// Held by a restore while it runs; the daily backup is skipped while it is
// held, so it never copies a file that is being replaced.
std::mutex& RestoreLock();

// Whether folder holds a daily copy made on day.
bool HasBackupOfDay(const QString& folder, const QDate& day);

// The copies in folder, newest first, with their size and the number of goals
// with a text and of items each holds.
QList<BackupInfo> ListBackups(const QString& folder);

} // namespace jotrak
