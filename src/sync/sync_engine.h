#pragma once

#include "sync/sync_round.h"
#include "sync/sync_settings.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace jotrak {

class WorkLog;

// Keeps one log in step with its other computers through a sync folder. While
// sync is on, the log's changes are recorded (ChangeCapture on each of its
// connections) and rounds run on a thread and a connection of their own: at
// start, a moment after each change here, when the folder changes and once a
// minute. What a round applies reaches every view through WorkLog::announce.
class SyncEngine : public QObject {
    Q_OBJECT
public:
    SyncEngine(WorkLog& log, QString dataDir, QObject* parent = nullptr);
    ~SyncEngine() override;

    // Takes up the settings kept for the log and, when sync is on, starts after delayMs.
    void start(int delayMs);
    const SyncSettings& settings() const { return settings_; }
    const SyncState& state() const { return state_; }
    // Keeps new settings and follows them; empty, or why the folder cannot be used.
    QString configure(const SyncSettings& settings);
    void syncNow();
    // Waits for a round running now to end.
    void finish();

signals:
    void stateChanged();

private:
    void follow();
    void requestRound(int delayMs);
    void runRound();
    void roundDone(const SyncRoundReport& report);
    void watch(const QStringList& folders);
    // this computer, read from sync.ini when first needed
    const SyncDevice& device();

    WorkLog& log_;
    QString dataDir_;
    SyncSettings settings_;
    SyncDevice device_;
    SyncState state_;
    QTimer soon_;
    QTimer everyMinute_;
    QFileSystemWatcher watcher_;
    QPointer<QThread> running_;
    bool again_ = false;
};

} // namespace jotrak
