#pragma once

#include "shell/work_log.h"
#include "sync/change_capture.h"

#include <QString>
#include <QStringList>

namespace jotrak {

class ConnectionHolder;

struct SyncRoundReport {
    OutsideChanges changes;
    // files of other computers applied, files of this one written
    int received = 0;
    int sent = 0;
    int conflicts = 0;
    // what kept a file from going or being applied, in Chinese
    QStringList problems;
};

// Notes this computer in a log that holds nothing yet, so that the changes
// recorded from now on are all it ever sends; a log with something in it goes
// out as a snapshot at its first round instead. Run before changes are recorded.
void JoinSyncFolder(ConnectionHolder& connection, const QString& folder, const SyncDevice& device);

// Sync turned off: changes made from now on are not recorded, so when it is
// turned on again the whole log goes out as a snapshot.
void LeaveSyncFolder(ConnectionHolder& connection, const SyncDevice& device);

inline constexpr int kSnapshotEvery = 500;

// One exchange with the sync folder, on a connection of its own:
// 1. the first time this log meets the folder, what it already holds goes out
//    as a snapshot;
// 2. a log with nothing in it starts from the newest snapshot there;
// 3. the changes waiting in the outbox are written as files, in order;
// 4. every computer's files the log lacks are applied, each once, each whole
//    or not at all (files applied one after another share a commit), in an
//    order that never applies a change before one it was made after;
// 5. this computer tells the others what it holds (seen.json); every
//    snapshotEvery changes of its own it writes a snapshot, and it removes
//    its files that every other computer holds and a snapshot of its own covers.
// A file that cannot be read stops that computer's files until it can.
SyncRoundReport RunSyncRound(ConnectionHolder& connection, const QString& folder, const SyncDevice& device,
                             int snapshotEvery = kSnapshotEvery);

} // namespace jotrak
