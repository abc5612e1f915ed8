#include "app/startup.h"

#include "app/date_watch.h"
#include "app/log_opening.h"
#include "app/main_window.h"
#include "calendar/clock.h"
#include "data/database_error.h"
#include "goals/period_panel.h"
#include "launcher/launcher_table.h"
#include "settings/maxims.h"
#include "shell/app_context.h"
#include "shell/fonts.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"
#include "shell/text_font.h"
#include "shell/work_log.h"
#include "web/web_browser.h"

#include <QApplication>
#include <QDebug>
#include <QLabel>
#include <QSignalBlocker>

#include <memory>
#include <utility>

namespace jotrak {

namespace {

// Everything of the context but the log: the folders, the fonts, the time.
void PrepareContext(AppContext& app, const QString& exeDir, const DataFolder& data)
{
    app.exeDir = exeDir;
    app.dataDir = data.path;
    UseSettingsFile(data.settingsFile);
    app.fontSong12 = SongFont(12);
    app.fontKai18 = KaiFont(18);
    app.fontKai12 = KaiFont(12);
    app.fontText = app.fontSong12;
    // every control and Qt's own dialogs in 宋体: a control made before its font is set
    // lays its text out in the default font first, which would load a second typeface
    QApplication::setFont(app.fontSong12);
    app.startTime = Clock::LocalNow();
    if (!app.LauncherTable)
        app.LauncherTable = MakeOwned<LauncherTable>();
    if (!app.MaximList)
        app.MaximList = MakeOwned<MaximList>();
}

void TakeLog(AppContext& app, MainWindow& window, LogOpening& opening)
{
    std::unique_ptr<QLabel> notice;
    opening.wait([&] {
        // the window stays still for the seconds an upgrade of years of log takes: say why
        notice = std::make_unique<QLabel>(QStringLiteral("正在升级数据库,请稍候…"), &window);
        notice->setAlignment(Qt::AlignCenter);
        notice->setGeometry(window.rect());
        notice->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    app.log.adopt(std::move(opening.connection()));
    if (const std::optional<DatabaseError>& error = opening.yearTrouble()) {
        // a file that cannot take this year's rows (read-only, say) still opens:
        // the years it holds stay readable
        qWarning().noquote() << "rows of this year not added:" << error->what();
        ShowMessage(&window,
                    QString::fromUtf8("数据库中还没有今年的记录,也无法添加,今年的目标暂时不能保存。\n\n%1")
                        .arg(error->message()),
                    QString::fromUtf8("数据库错误"), MessageButtons::Ok, error->details());
    }
}

} // namespace

std::unique_ptr<LogOpening> StartOpeningLog(const DataFolder& data, std::function<QString()> readyFolder)
{
    return std::make_unique<LogOpening>(DatabaseFile(data.path), Clock::LocalNow().date().year(),
                                        std::move(readyFolder));
}

void RunStartup(AppContext& app, MainWindow& window, const QString& exeDir, const DataFolder& data)
{
    const std::unique_ptr<LogOpening> opening = StartOpeningLog(data);
    RunStartup(app, window, exeDir, data, *opening);
}

void RunStartup(AppContext& app, MainWindow& window, const QString& exeDir, const DataFolder& data, LogOpening& opening)
{
    PrepareContext(app, exeDir, data);
    // the window is made while the log opens; nothing in it reads the log yet
    window.build(app);
    if (const std::optional<QFont> font = ReadTextFont())
        ApplyTextFont(font.value());
    TakeLog(app, window, opening);
    // the folder has its shipped files now
    LoadMaxims(*app.MaximList, app.dataDir);
    window.showToday(*app.today);
    {
        // its reminders come with the rest after the first frame
        const QSignalBlocker quiet(window.panel(PeriodKind::Day));
        window.panel(PeriodKind::Day)->view();
    }
    window.greetDay(app.startTime.date());
    window.loadLauncherCaptions();
    window.browser().AttachBrowser(window.findChild<QWidget*>(QStringLiteral("WebPane")));
    window.browser().ShowFixedPage(app.dataDir);
}

void FinishStartup(AppContext& app, MainWindow& window)
{
    window.panel(PeriodKind::Year)->view();
    window.panel(PeriodKind::Month)->view();
    // what the boxes hold now is what the next day moves on from
    StartDateWatch(window, app);
    window.showDayReminders(window.panel(PeriodKind::Day)->key());
    window.showFirstMaxim();
    window.explainEmptyPane();
}

} // namespace jotrak
