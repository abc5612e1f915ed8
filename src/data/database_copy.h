#pragma once

#include <QDateTime>
#include <QString>

#include <atomic>
#include <functional>

struct sqlite3;

namespace jotrak {

// The outcome of one copy: when it was made, whether a checked copy now lies
// in the folder, and if not, why (a Chinese sentence; the engine's own words
// apart, in details).
struct BackupResult {
    QDateTime time;
    bool ok = false;
    QString path; // the copy, when made
    QString reason;
    QString details;
};

// What a copy holds: goals with a text and items (-1 when it cannot be read),
// and the id of its log (empty when it has none).
struct CopyContents {
    int goals = -1;
    int items = -1;
    QString logId;
};

// Where copies go unless the user chose another folder: backup beside the database.
QString DefaultBackupFolder(const QString& databasePath);

// Copies the database open on source (the file at databasePath) into folder,
// under the name `name` gives for now (the next free second when that name is
// taken), with the engine's online backup in steps of a millisecond or two
// with a pause between them. It may run on a thread of its own while the
// program goes on using the connection: changes made meanwhile reach the copy
// (a change through another connection starts the copy again; after a few
// such restarts the rest is copied in one step). The copy is built under a
// temporary name and takes its own name only after it is on the disk, passes
// PRAGMA integrity_check and opens as a Jotrak database. Never throws; a set
// stop flag ends it between two steps, leaving nothing behind.
BackupResult CopyDatabaseInto(sqlite3* source, const QString& databasePath, const QString& folder, const QDateTime& now,
                              const std::function<QString(const QDateTime&)>& name,
                              const std::atomic<bool>* stop = nullptr);

// The copy the schema code makes of the file open on db before it upgrades it:
// into the default folder, named for the file's last change and the version it
// holds (db-YYYYMMDD-HHMMSS[-<id>]-v1.mdb), never removed by the retention. The
// upgrade goes ahead only when the result is ok.
BackupResult BackupBeforeUpgrade(sqlite3* db, const QString& databasePath, int fileVersion);

// Empty when the file passes PRAGMA integrity_check and opens as a Jotrak
// database this release can use; else a Chinese sentence saying why not.
QString CheckDatabaseFile(const QString& path, QString* details = nullptr, const std::atomic<bool>* stop = nullptr);

// Puts the checked copy at aside in place of the database file at
// databasePath, the connections to it closed: with the file locked against
// every other program, a journal still beside it is not one the engine would
// play back, so it is removed (it can never be played back onto the new file);
// then the copy takes the file's name. Empty when done, else why not (Chinese,
// the restore's words).
QString ReplaceDatabaseFile(const QString& databasePath, const QString& aside, QString* details);

// Reads what the copy at path holds, without changing it.
CopyContents ReadCopyContents(const QString& path);

} // namespace jotrak
