#include "backup/daily_backup.h"

#include "backup/background_backup.h"
#include "backup/backup_settings.h"
#include "calendar/clock.h"
#include "data/record_access.h"

#include <QEvent>
#include <QTimer>

namespace jotrak {

namespace {

constexpr int kCheckEveryMs = 60 * 60 * 1000;

// The runner with what it backs up: the window's connection and its data folder.
class DailyRunner : public BackgroundBackup {
public:
    DailyRunner(QObject* window, ConnectionHolder& connection, const QString& dataDir)
        : BackgroundBackup(window), connection(connection), dataDir(dataDir)
    {
        setObjectName(QStringLiteral("DailyBackup"));
    }
    ConnectionHolder& connection;
    const QString dataDir;
};

// Starts the first check once the window's first paint is done.
class AfterFirstPaint : public QObject {
public:
    explicit AfterFirstPaint(QObject* window) : QObject(window), window_(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            window_->removeEventFilter(this);
            QTimer::singleShot(0, window_, [window = window_] { MakeDailyBackupIfDue(window); });
            deleteLater();
        }
        return false;
    }

private:
    QObject* window_;
};

} // namespace

void StartDailyBackup(QObject* mainWindow, ConnectionHolder& connection, const QString& dataDir)
{
    auto* runner = new DailyRunner(mainWindow, connection, dataDir);
    QObject::connect(runner, &BackgroundBackup::finished, runner,
                     [runner](const BackupResult& result) { RememberBackup(runner->dataDir, result); });
    auto* hourly = new QTimer(runner);
    QObject::connect(hourly, &QTimer::timeout, runner, [mainWindow] { MakeDailyBackupIfDue(mainWindow); });
    hourly->start(kCheckEveryMs);
    new AfterFirstPaint(mainWindow);
}

BackgroundBackup* DailyBackupRunner(QObject* mainWindow)
{
    return mainWindow->findChild<BackgroundBackup*>(QStringLiteral("DailyBackup"), Qt::FindDirectChildrenOnly);
}

bool MakeDailyBackupIfDue(QObject* mainWindow)
{
    auto* runner = dynamic_cast<DailyRunner*>(DailyBackupRunner(mainWindow));
    if (!runner)
        return false;
    const QDateTime now = Clock::LocalNow();
    const std::optional<BackupResult> last = LastBackup(runner->dataDir);
    // a failed backup is tried again at the next check, however often it fails
    if (last && last->ok && last->time.date() == now.date())
        return false;
    return runner->start(runner->connection, BackupFolder(runner->dataDir), now, true);
}

} // namespace jotrak
