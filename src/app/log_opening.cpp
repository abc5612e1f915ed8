#include "app/log_opening.h"

#include "app/new_log.h"
#include "data/seed.h"

#include <QFileInfo>

#include <utility>

namespace jotrak {

LogOpening::LogOpening(const QString& databasePath, int currentYear, std::function<QString()> readyFolder)
    : thread_([this, databasePath, currentYear, readyFolder = std::move(readyFolder)] {
          open(databasePath, currentYear, readyFolder);
      })
{
}

LogOpening::~LogOpening()
{
    if (thread_.joinable())
        thread_.join();
}

void LogOpening::open(const QString& databasePath, int currentYear, const std::function<QString()>& readyFolder)
{
    try {
        if (readyFolder)
            if (const QString trouble = readyFolder(); !trouble.isEmpty())
                throw FolderTrouble(trouble);
        if (!QFileInfo::exists(databasePath))
            CreateDatabaseFrom(databasePath, NewLogFile());
        OpenDatabase(connection_, databasePath, [this] {
            const std::lock_guard lock(mutex_);
            upgrading_ = true;
            changed_.notify_all();
        });
        SeedPeriodTables(connection_);
        try {
            ExtendPeriodTables(connection_, currentYear);
        } catch (const DatabaseError& error) {
            yearTrouble_ = error;
        }
    } catch (...) {
        failure_ = std::current_exception();
    }
    const std::lock_guard lock(mutex_);
    done_ = true;
    changed_.notify_all();
}

void LogOpening::wait(const std::function<void()>& whileUpgrading)
{
    std::unique_lock lock(mutex_);
    bool told = false;
    while (!done_) {
        if (upgrading_ && !told && whileUpgrading) {
            told = true;
            lock.unlock();
            whileUpgrading();
            lock.lock();
            continue;
        }
        changed_.wait(lock);
    }
    lock.unlock();
    if (thread_.joinable())
        thread_.join();
    if (failure_)
        std::rethrow_exception(std::exchange(failure_, nullptr));
}

} // namespace jotrak
