#pragma once

#include "backup/backup.h"

#include <QObject>

#include <atomic>
#include <optional>

class QThread;

namespace jotrak {
class ConnectionHolder;
}

namespace jotrak {

// Makes a backup on a thread of its own, so the window goes on answering while
// the file is copied and checked: the thread that started it only hears the
// result. The connection must stay open while it runs: stop it before the
// connection is closed. Destroying it (the program is closing) stops a running
// copy between two of its steps and waits for the thread.
class BackgroundBackup : public QObject {
    Q_OBJECT
public:
    explicit BackgroundBackup(QObject* parent = nullptr);
    ~BackgroundBackup() override;

    // Starts MakeBackup unless one is running (then false). Nothing is made,
    // and finished is not sent, while a restore runs, or with onlyFirstOfDay
    // when folder already holds a copy of now's day.
    bool start(ConnectionHolder& connection, const QString& folder, const QDateTime& now, bool onlyFirstOfDay);
    bool isRunning() const { return thread_ != nullptr; }
    // Stops a running copy and waits for its thread; finished is not sent.
    void stop();

signals:
    void finished(const jotrak::BackupResult& result);

private:
    QThread* thread_ = nullptr;
    std::atomic<bool> stop_{false};
    std::optional<BackupResult> result_;
};

} // namespace jotrak
