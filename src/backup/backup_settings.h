#pragma once

#include "data/database_copy.h"

#include <optional>

namespace jotrak {

// What the program remembers about the backups of the log in dataDir between
// runs: the folder the user chose for them, and the time and result of the
// last one.

// The chosen folder, or backup beside the database when none was chosen.
QString BackupFolder(const QString& dataDir);
// An empty folder, or the default one, goes back to the one beside the database.
void SetBackupFolder(const QString& dataDir, const QString& folder);

std::optional<BackupResult> LastBackup(const QString& dataDir);
void RememberBackup(const QString& dataDir, const BackupResult& result);

// "上次备份:2026-12-07 09:30 成功" (or 失败, or that none was made yet), as the
// settings dialog shows it.
QString LastBackupText(const QString& dataDir);

} // namespace jotrak
