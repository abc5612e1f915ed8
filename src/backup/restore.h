#pragma once

#include "backup/backup.h"

namespace jotrak {

class ConnectionHolder;

struct RestoreResult {
    bool ok = false;
    QString reason; // why the file was left as it was, in Chinese
    QString details;
    BackupResult before; // the copy of the file as it was before
};

// Puts the backup at backupPath in place of the database open on connection,
// all at once or not at all: the backup is copied aside next to the database,
// written to the disk and checked; then the current file is backed up into
// backupFolder; then, with the connection closed and the file locked against
// other programs, the copy is renamed over it and the connection reopened.
// A copy of another log (its id differs) is refused; a copy without an id
// takes the log's. On failure the file is as it was and the connection open on
// it again. Only reopening and writing the id can raise DatabaseError.
RestoreResult RestoreBackup(ConnectionHolder& connection, const QString& backupPath, const QString& backupFolder,
                            const QDateTime& now);

} // namespace jotrak
