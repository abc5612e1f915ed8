#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <atomic>
#include <mutex>

struct sqlite3;

namespace jotrak {

class ConnectionHolder;

// The outcome of one backup: when it was made, whether a checked copy now lies
// in the backup folder, and if not, why (a Chinese sentence; the engine's own
// words apart, in details).
struct BackupResult {
    QDateTime time;
    bool ok = false;
    QString path; // the copy, when made
    QString reason;
    QString details;
};

// One copy in a backup folder, newest first in a listing.
struct BackupInfo {
    QString path;
    QDateTime time;
    qint64 size = 0;
    bool beforeUpgrade = false;
    int goals = -1; // goals with a text; -1 when the copy cannot be read
    int items = -1;
};

// Where backups go unless the user chose another folder: backup beside the database.
QString DefaultBackupFolder(const QString& databasePath);

// Copies the database open on connection into folder as
// db-YYYYMMDD-HHMMSS.mdb (the local moment now; the next free second when that
// name is taken) with the engine's online backup, in steps of a millisecond or
// two with a pause between them. It may run on a thread of its own while the
// program goes on using the connection: the engine lets one step or one
// statement at a time use it, and changes made meanwhile reach the copy as they
// are made (a change through another connection starts the copy again; after a
// few such restarts the rest is copied in one step). The copy
// is built under a temporary name and takes its own name only after it is on
// the disk, passes PRAGMA integrity_check and opens as a Jotrak database. Then
// the copies BackupsToRemove names are removed. Never throws; a set stop flag
// ends it between two steps, leaving nothing behind.
BackupResult MakeBackup(ConnectionHolder& connection, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop = nullptr);
// The same on a bare engine connection to the file at databasePath.
BackupResult MakeBackup(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                        const std::atomic<bool>* stop = nullptr);

// The copy the schema code makes of the file open on db before it upgrades it:
// into the default folder, named for the file's last change and the version it
// holds (db-YYYYMMDD-HHMMSS-v1.mdb), never removed by the retention. The
// upgrade goes ahead only when the result is ok.
BackupResult BackupBeforeUpgrade(sqlite3* db, const QString& databasePath, int fileVersion);

// Empty when the file passes PRAGMA integrity_check and opens as a Jotrak
// database this release can use; else a Chinese sentence saying why not.
QString CheckDatabaseFile(const QString& path, QString* details = nullptr, const std::atomic<bool>* stop = nullptr);

// Held by a restore while it runs; the daily backup is skipped while it is
// held, so it never copies a file that is being replaced.
std::mutex& RestoreLock();

// Whether folder holds a daily copy made on day.
bool HasBackupOfDay(const QString& folder, const QDate& day);

// The copies in folder, newest first, with their size and the number of goals
// with a text and of items each holds.
QList<BackupInfo> ListBackups(const QString& folder);

} // namespace jotrak
