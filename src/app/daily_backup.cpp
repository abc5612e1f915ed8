#include "app/daily_backup.h"

#include "calendar/clock.h"
#include "data/background_backup.h"
#include "shell/work_log.h"
#include "shell/backup_settings.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace jotrak {

namespace {

constexpr int kCheckEveryMs = 60 * 60 * 1000;

// Starts the first check once the window's first paint is done.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget* window, WorkLog& log) : QObject(window), window_(window), log_(log)
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            window_->removeEventFilter(this);
            QTimer::singleShot(0, window_, [&log = log_] { MakeDailyBackupIfDue(log); });
            deleteLater();
        }
        return false;
    }

private:
    QWidget* window_;
    WorkLog& log_;
};

} // namespace

void StartDailyBackup(WorkLog& log, QWidget* mainWindow)
{
    auto* runner = new BackgroundBackup(&log);
    runner->setObjectName(QStringLiteral("DailyBackup"));
    QObject::connect(runner, &BackgroundBackup::finished, runner, &RememberBackup);
    auto* hourly = new QTimer(runner);
    QObject::connect(hourly, &QTimer::timeout, runner, [&log] { MakeDailyBackupIfDue(log); });
    hourly->start(kCheckEveryMs);
    new AfterFirstPaint(mainWindow, log);
}

BackgroundBackup* DailyBackupRunner(WorkLog& log)
{
    return log.findChild<BackgroundBackup*>(QStringLiteral("DailyBackup"), Qt::FindDirectChildrenOnly);
}

bool MakeDailyBackupIfDue(WorkLog& log)
{
    BackgroundBackup* runner = DailyBackupRunner(log);
    const QDateTime now = Clock::LocalNow();
    const std::optional<BackupResult> last = LastBackup();
    if (!runner || (last && last->time.date() == now.date()))
        return false;
    return runner->start(log.connection(), BackupFolder(), now, true);
}

} // namespace jotrak
