#pragma once

#include "data/backup.h"

#include <optional>

namespace jotrak {

// What the program remembers about backups between runs: the folder the user
// chose for them, and the time and result of the last one.

// The chosen folder, or backup beside the database when none was chosen.
QString BackupFolder();
// An empty folder, or the default one, goes back to the one beside the database.
void SetBackupFolder(const QString& folder);

std::optional<BackupResult> LastBackup();
void RememberBackup(const BackupResult& result);

} // namespace jotrak
