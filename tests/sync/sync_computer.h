#pragma once

#include "data/record_access.h"
#include "sync/change_capture.h"
#include "sync/sync_round.h"

#include <QString>
#include <QStringList>

namespace jotrak::test {

// One computer of a test: its data folder and log (recording its changes as
// the program does while sync is on), the shared folder, and rounds on a
// connection of their own.
class SyncComputer {
public:
    // recording: sync is on (else the log's changes are made as while it is off)
    SyncComputer(const QString& dataDir, const QString& syncFolder, bool recording = true);
    ConnectionHolder& log() { return log_; }
    const SyncDevice& device() const { return device_; }
    QString databasePath() const;
    SyncRoundReport round();

private:
    QString dataDir_;
    QString syncFolder_;
    SyncDevice device_;
    ConnectionHolder log_;
};

// Everything a log shares, one line a row, the same on two computers that
// hold the same log whatever their row ids: goal texts by key, items by uid
// under their goal's key, schemes by uid, launcher buttons by number.
QStringList SharedContent(ConnectionHolder& connection);

} // namespace jotrak::test
