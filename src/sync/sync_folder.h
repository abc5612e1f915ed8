#pragma once

#include "sync/change_file.h"

#include <QString>
#include <QStringList>

#include <map>

namespace jotrak {

// The files of a sync folder: <folder>/<computer id>/<number>.changeset and
// <number>.snapshot. What a sync engine leaves beside them — its temporary
// files, a half-copied file under another name, copies it made of a file
// changed on two sides ("*.sync-conflict-*", "… (1)") — is never read as one.
struct SyncFolderListing {
    // computer -> number -> path
    std::map<QString, std::map<qint64, QString>> changes;
    std::map<QString, std::map<qint64, QString>> snapshots;
    // names that look like sync files but are copies of them
    QStringList copies;
};

SyncFolderListing ListSyncFolder(const QString& folder);

QString SyncFilePath(const QString& folder, const QString& device, qint64 seq, ChangeFile::Kind kind);

// Writes a file under a temporary name, to the disk, then renames it into
// place, so the sync engine never sees part of it. Returns what went wrong, in
// Chinese, or an empty text.
QString WriteSyncFile(const QString& folder, const ChangeFile& file);

// What each computer holds: the last file of every computer it has applied,
// as it wrote it into <folder>/<its id>/seen.json at its last round.
std::map<QString, std::map<QString, qint64>> ReadSeenFiles(const QString& folder);
// Writes this computer's seen.json when it says something new; what went wrong, or empty.
QString WriteSeenFile(const QString& folder, const QString& device, const std::map<QString, qint64>& applied);

// Why the sync folder cannot be used (missing, not a folder, read-only, the data
// folder itself or inside it), in Chinese; empty when it can.
QString SyncFolderProblem(const QString& folder, const QString& dataFolder);

} // namespace jotrak
