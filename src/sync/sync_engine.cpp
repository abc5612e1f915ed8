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

// A round on a connection of its own; the window's connection stays free.
SyncRoundReport RoundOn(const QString& databasePath, const QString& folder, const SyncDevice& device)
{
    try {
        ConnectionHolder connection;
        OpenDatabase(connection, databasePath);
        if (!HasSyncTables(connection) || sqlite3_db_readonly(connection.handle(), "main") == 1) {
            SyncRoundReport report;
            report.problems << QString::fromUtf8("数据库是只读的或版本较旧,无法同步");
            return report;
        }
        return RunSyncRound(connection, folder, device);
    } catch (const DatabaseError& error) {
        SyncRoundReport report;
        report.problems << error.message();
        return report;
    }
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
    state_ = ReadSyncState(dataDir_);
    if (!settings_.enabled)
        return;
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
        LeaveSyncFolder(log_.connection(), ThisDevice(dataDir_));
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
    if (device_.id.isEmpty())
        device_ = ThisDevice(dataDir_);
    const SyncDevice device = device_;
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
    watchFolder();
}

void SyncEngine::watchFolder()
{
    QStringList wanted{settings_.folder};
    const QDir root(settings_.folder);
    for (const QString& device : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        wanted << root.filePath(device);
    for (const QString& path : wanted)
        if (!watcher_.directories().contains(path) && QFileInfo(path).isDir())
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
    const QString problem = SyncFolderProblem(settings_.folder, dataDir_);
    if (!problem.isEmpty()) {
        SyncRoundReport report;
        report.problems << problem;
        roundDone(report);
        return;
    }
    const QString path = QDir::fromNativeSeparators(log_.connection().path());
    const QString folder = settings_.folder;
    const SyncDevice device = device_;
    auto report = std::make_shared<SyncRoundReport>();
    QThread* thread = QThread::create([=] { *report = RoundOn(path, folder, device); });
    running_ = thread;
    connect(thread, &QThread::finished, this, [this, thread, report] {
        thread->deleteLater();
        running_ = nullptr;
        roundDone(*report);
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
    watchFolder();
    emit stateChanged();
}

} // namespace jotrak
