#pragma once

#include "data/database_error.h"
#include "data/record_access.h"

#include <QString>

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace jotrak {

// Why the data folder cannot serve, found while the log was opening.
class FolderTrouble : public std::runtime_error {
public:
    explicit FolderTrouble(const QString& sentence) : std::runtime_error(sentence.toStdString()) {}
    QString sentence() const { return QString::fromStdString(what()); }
};

// A log opened on a thread of its own while the window is being made: created
// and seeded when it is new, upgraded when it is older, this year's rows added.
// A first start then need not wait for the new file before the window is up.
// readyFolder, when given, runs first on that thread (the shipped files copied
// in); a sentence it returns stops the opening.
class LogOpening {
public:
    LogOpening(const QString& databasePath, int currentYear, std::function<QString()> readyFolder = {});
    ~LogOpening();
    LogOpening(const LogOpening&) = delete;
    LogOpening& operator=(const LogOpening&) = delete;

    // Waits until the log is open. whileUpgrading runs once, on this thread,
    // when the file is found to need an upgrade meanwhile, so the window can say
    // why it waits. Raises what opening raised (DatabaseError, FolderTrouble).
    void wait(const std::function<void()>& whileUpgrading);
    // Once waited for: the open connection, for the log to take.
    ConnectionHolder& connection() { return connection_; }
    // Once waited for: why this year's rows could not be added; the file is usable all the same.
    const std::optional<DatabaseError>& yearTrouble() const { return yearTrouble_; }

private:
    void open(const QString& databasePath, int currentYear, const std::function<QString()>& readyFolder);

    ConnectionHolder connection_;
    std::optional<DatabaseError> yearTrouble_;
    std::exception_ptr failure_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool upgrading_ = false;
    bool done_ = false;
    std::thread thread_;
};

} // namespace jotrak
