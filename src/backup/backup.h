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

// The copies of one log in one backup folder. A copy carries its log's id
// (data/log_identity.h) inside and in its name; a copy without one, made by an
// older release, counts as the log's own only in the folder beside its
// database, where no other log puts copies unless the user chose it so.
struct LogCopies {
    QString folder;
    QString logId;          // empty for a log of an older version
    bool ownFolder = false; // folder is the one beside the database
    // By the copy's name alone (the day's copy, the retention).
    bool holdsName(const QString& name) const;
    // By the id the copy holds, or by its name when it cannot be read (the listing).
    bool holdsCopy(const QString& name, const CopyContents& contents) const;
};
LogCopies CopiesOfLog(sqlite3* db, const QString& databasePath, const QString& folder);
LogCopies CopiesOfLog(ConnectionHolder& connection, const QString& folder);

// Copies the database open on connection into folder as
// db-YYYYMMDD-HHMMSS-<id>.mdb (the local moment now; the next free second when that
// name is taken), checked (CopyDatabaseInto); then the copies BackupsToRemove
// names among the log's own copies are removed. Never throws; a set stop flag ends it between two steps,
// leaving nothing behind.
BackupResult MakeBackup(ConnectionHolder& connection, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop = nullptr);
// The same on a bare engine connection to the file at databasePath.
BackupResult MakeBackup(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop = nullptr);

// Held by a restore while it runs; the daily backup is skipped while it is
// held, so it never copies a file that is being replaced.
std::mutex& RestoreLock();

// Whether the folder holds a daily copy of the log made on day.
bool HasBackupOfDay(const LogCopies& log, const QDate& day);

// The log's copies in its folder, newest first, with their size and the number
// of goals with a text and of items each holds.
QList<BackupInfo> ListBackups(const LogCopies& log);

} // namespace jotrak
