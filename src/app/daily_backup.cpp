#include "app/daily_backup.h"

#include "calendar/clock.h"
#include "data/background_backup.h"
#include "shell/app_context.h"
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
    explicit AfterFirstPaint(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }

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
    QWidget* window_;
};

} // namespace

void StartDailyBackup(QWidget* mainWindow)
{
    auto* runner = new BackgroundBackup(mainWindow);
    runner->setObjectName(QStringLiteral("DailyBackup"));
    QObject::connect(runner, &BackgroundBackup::finished, runner, &RememberBackup);
    auto* hourly = new QTimer(runner);
    QObject::connect(hourly, &QTimer::timeout, runner, [mainWindow] { MakeDailyBackupIfDue(mainWindow); });
    hourly->start(kCheckEveryMs);
    new AfterFirstPaint(mainWindow);
}

BackgroundBackup* DailyBackupRunner(QWidget* mainWindow)
{
    return mainWindow->findChild<BackgroundBackup*>(QStringLiteral("DailyBackup"), Qt::FindDirectChildrenOnly);
}

bool MakeDailyBackupIfDue(QWidget* mainWindow)
{
    BackgroundBackup* runner = DailyBackupRunner(mainWindow);
    const QDateTime now = Clock::LocalNow();
    const std::optional<BackupResult> last = LastBackup();
    if (!runner || (last && last->time.date() == now.date()))
        return false;
    return runner->start(App().connection, BackupFolder(), now, true);
}

} // namespace jotrak
