#include "sync/sync_engine.h"

#include "data/record_access.h"
#include "data/sync_schema.h"
#include "shell/work_log.h"
#include "sync/sync_folder.h"

#include <sqlite3.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace jotrak {

namespace {

constexpr int kMinute = 60'000;

struct RoundResult {
    SyncRoundReport report;
    // the folder and its computers' folders, to be watched
    QStringList folders;
};

SyncRoundReport Exchange(const QString& databasePath, const QString& folder, const QString& dataDir,
                         const SyncDevice& device)
{
    SyncRoundReport report;
    if (const QString problem = SyncFolderProblem(folder, dataDir); !problem.isEmpty()) {
        report.problems << problem;
        return report;
    }
    try {
        ConnectionHolder connection;
        OpenDatabase(connection, databasePath);
        if (!HasSyncTables(connection) || sqlite3_db_readonly(connection.handle(), "main") == 1) {
            report.problems << QString::fromUtf8("数据库是只读的或版本较旧,无法同步");
            return report;
        }
        return RunSyncRound(connection, folder, device);
    } catch (const DatabaseError& error) {
        report.problems << error.message();
        return report;
    }
}

// A round on a thread and a connection of its own: neither the window nor its
// connection waits for a slow share.
RoundResult RoundOn(const QString& databasePath, const QString& folder, const QString& dataDir,
                    const SyncDevice& device)
{
    RoundResult result{Exchange(databasePath, folder, dataDir, device), {}};
    const QDir root(folder);
    if (root.exists()) {
        result.folders << folder;
        for (const QString& computer : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            result.folders << root.filePath(computer);
    }
    return result;
}

} // namespace

SyncEngine::SyncEngine(WorkLog& log, QString dataDir, QObject* parent)
    : QObject(parent), log_(log), dataDir_(std::move(dataDir))
{
    soon_.setSingleShot(true);
    connect(&soon_, &QTimer::timeout, this, &SyncEngine::runRound);
    everyMinute_.setInterval(kMinute);
    connect(&everyMinute_, &QTimer::timeout, this, [this] { requestRound(0); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { requestRound(500); });
}

SyncEngine::~SyncEngine()
{
    finish();
    log_.setConnectionSetup({});
}

void SyncEngine::start(int delayMs)
{
    settings_ = ReadSyncSettings(dataDir_);
    if (!settings_.enabled) // a start with sync off reads nothing more
        return;
    state_ = ReadSyncState(dataDir_);
    follow();
    requestRound(delayMs);
}

QString SyncEngine::configure(const SyncSettings& settings)
{
    if (settings.enabled) {
        const QString problem = SyncFolderProblem(settings.folder, dataDir_);
        if (!problem.isEmpty())
            return problem;
    }
    finish();
    const bool turnedOff = settings_.enabled && !settings.enabled;
    settings_ = settings;
    WriteSyncSettings(dataDir_, settings_);
    if (turnedOff && log_.connection().isOpen())
        LeaveSyncFolder(log_.connection(), device());
    follow();
    if (settings_.enabled)
        requestRound(0);
    emit stateChanged();
    return {};
}

void SyncEngine::syncNow()
{
    if (settings_.enabled)
        requestRound(0);
}

void SyncEngine::finish()
{
    soon_.stop();
    if (running_) {
        running_->wait();
        QCoreApplication::sendPostedEvents(this);
    }
}

// Records the log's changes while sync is on.
void SyncEngine::follow()
{
    if (!settings_.enabled) {
        log_.setConnectionSetup({});
        everyMinute_.stop();
        if (!watcher_.directories().isEmpty())
            watcher_.removePaths(watcher_.directories());
        return;
    }
    const SyncDevice device = this->device();
    try {
        if (log_.connection().isOpen() && HasSyncTables(log_.connection()))
            JoinSyncFolder(log_.connection(), settings_.folder, device);
    } catch (const DatabaseError&) {
        // a read-only log is told at the round
    }
    QPointer<SyncEngine> engine(this);
    log_.setConnectionSetup([device, engine](ConnectionHolder& connection) {
        if (!HasSyncTables(connection) || sqlite3_db_readonly(connection.handle(), "main") == 1)
            return;
        connection.observer = std::make_unique<ChangeCapture>(connection, device, [engine] {
            // a long text is stored on a thread of its own: the round is asked for on the engine's
            QMetaObject::invokeMethod(
                engine.data(),
                [engine] {
                    if (engine)
                        engine->requestRound(300);
                },
                Qt::QueuedConnection);
        });
    });
    everyMinute_.start();
}

const SyncDevice& SyncEngine::device()
{
    if (device_.id.isEmpty())
        device_ = ThisDevice(dataDir_);
    return device_;
}

void SyncEngine::watch(const QStringList& folders)
{
    for (const QString& path : folders)
        if (!watcher_.directories().contains(path))
            watcher_.addPath(path);
}

void SyncEngine::requestRound(int delayMs)
{
    if (!settings_.enabled)
        return;
    if (running_) {
        again_ = true;
        return;
    }
    if (!soon_.isActive() || soon_.remainingTime() > delayMs)
        soon_.start(delayMs);
}

void SyncEngine::runRound()
{
    if (running_ || !settings_.enabled)
        return;
    const QString path = QDir::fromNativeSeparators(log_.connection().path());
    const QString folder = settings_.folder;
    const QString dataDir = dataDir_;
    const SyncDevice device = this->device();
    auto result = std::make_shared<RoundResult>();
    QThread* thread = QThread::create([=] { *result = RoundOn(path, folder, dataDir, device); });
    running_ = thread;
    connect(thread, &QThread::finished, this, [this, thread, result] {
        thread->deleteLater();
        running_ = nullptr;
        if (settings_.enabled)
            watch(result->folders);
        roundDone(result->report);
        if (again_) {
            again_ = false;
            requestRound(300);
        }
    });
    thread->start();
}

void SyncEngine::roundDone(const SyncRoundReport& report)
{
    if (!report.changes.empty())
        log_.announce(report.changes);
    if (report.received > 0 || report.sent > 0 || !state_.last.isValid()) {
        state_.last = QDateTime::currentDateTime();
        state_.received = report.received;
        state_.sent = report.sent;
        state_.conflicts = report.conflicts;
    }
    state_.problems = report.problems;
    WriteSyncState(dataDir_, state_);
    emit stateChanged();
}

} // namespace jotrak
