#include "backup/background_backup.h"

#include "data/record_access.h"

#include <QDir>
#include <QThread>

#include <utility>

namespace jotrak {

BackgroundBackup::BackgroundBackup(QObject* parent) : QObject(parent) {}

BackgroundBackup::~BackgroundBackup()
{
    stop();
}

bool BackgroundBackup::start(ConnectionHolder& connection, const QString& folder, const QDateTime& now,
                             bool onlyFirstOfDay)
{
    if (thread_ || !connection.isOpen())
        return false;
    sqlite3* source = connection.handle();
    const QString databasePath = QDir::fromNativeSeparators(connection.path());
    stop_ = false;
    result_.reset();
    thread_ = QThread::create([this, source, databasePath, folder, now, onlyFirstOfDay] {
        const std::unique_lock restoring(RestoreLock(), std::try_to_lock);
        if (!restoring)
            return;
        if (!onlyFirstOfDay || !HasBackupOfDay(CopiesOfLog(source, databasePath, folder), now.date()))
            result_ = MakeBackup(source, databasePath, folder, now, &stop_);
    });
    connect(thread_, &QThread::finished, this, [this] {
        if (!thread_)
            return;
        thread_->wait(); // finished is sent just before the thread ends
        delete std::exchange(thread_, nullptr);
        if (auto result = std::exchange(result_, std::nullopt))
            emit finished(*result);
    });
    thread_->start(QThread::LowPriority);
    return true;
}

void BackgroundBackup::stop()
{
    if (!thread_)
        return;
    stop_ = true;
    thread_->wait();
    delete std::exchange(thread_, nullptr);
    result_.reset();
}

} // namespace jotrak
