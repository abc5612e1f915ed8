#pragma once

#include "sync/change_capture.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace jotrak {

// What the program remembers of a log's sync, in sync.ini of its data folder.
struct SyncSettings {
    bool enabled = false;
    QString folder;
};

SyncSettings ReadSyncSettings(const QString& dataDir);
void WriteSyncSettings(const QString& dataDir, const SyncSettings& settings);

// This computer as the log in dataDir knows it. The id is made once and kept;
// a data folder copied to another computer or another place (a portable copy)
// gets an id of its own, so two computers never write as one.
SyncDevice ThisDevice(const QString& dataDir);

struct SyncState {
    QDateTime last;
    int received = 0;
    int sent = 0;
    int conflicts = 0;
    QStringList problems;
};

SyncState ReadSyncState(const QString& dataDir);
void WriteSyncState(const QString& dataDir, const SyncState& state);
// "上次同步 2026-12-07 09:30,收到 3 条,发出 2 条", then any problem.
QString SyncStateText(const SyncState& state);

} // namespace jotrak
