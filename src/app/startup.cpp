#include "app/startup.h"

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/date_watch.h"
#include "app/day_reminders.h"
#include "app/main_layout.h"
#include "calendar/clock.h"
#include "data/database_error.h"
#include "data/record_access.h"
#include "data/seed.h"
#include "goals/period_goals.h"
#include "launcher/launcher.h"
#include "launcher/launcher_table.h"
#include "settings/maxims.h"
#include "shell/app_context.h"
#include "shell/centering.h"
#include "shell/fonts.h"
#include "shell/message_box.h"
#include "shell/settings_store.h"
#include "shell/text_font.h"
#include "web/web_browser.h"

#include <QCoreApplication>
#include <QDebug>
#include <QLabel>
#include <QWidget>

#include <memory>

namespace jotrak {

void InitAppContext(const QString& exeDir, const DataFolder& data)
{
    AppContext& app = App();
    CenterOnDesktop(app.mainWindow);
    app.exeDir = exeDir;
    app.dataDir = data.path;
    UseSettingsFile(data.settingsFile);
    app.windowRect = app.mainWindow->frameGeometry();
    app.fontSong12 = SongFont(12);
    app.fontKai18 = KaiFont(18);
    app.fontKai12 = KaiFont(12);
    app.fontText = app.fontSong12;
    app.mainWindow->setFont(app.fontSong12);
    app.startTime = Clock::LocalNow();
    if (!app.LauncherTable)
        app.LauncherTable = MakeOwned<LauncherTable>();
    if (!app.MaximList)
        app.MaximList = MakeOwned<MaximList>();
    if (!app.browser)
        app.browser = MakeOwned<CWebBrowser2>();
    app.openSearch = [] { DispatchCommand(kCmdSearch); };
    app.showDayGoal = ShowDayReminders;
    CreateConnection(app.connection);
    std::unique_ptr<QLabel> notice;
    OpenDatabase(app.connection, DatabaseFile(data.path), [&] {
        // the window stays still for the seconds an upgrade of years of log takes: say why
        notice = std::make_unique<QLabel>(QStringLiteral("正在升级数据库,请稍候…"), app.mainWindow);
        notice->setAlignment(Qt::AlignCenter);
        notice->setGeometry(app.mainWindow->rect());
        notice->show();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
    SeedPeriodTables(app.connection);
    try {
        ExtendPeriodTables(app.connection, app.startTime.date().year());
    } catch (const DatabaseError& error) {
        // a file that cannot take this year's rows (read-only, say) still opens:
        // the years it holds stay readable
        qWarning().noquote() << "rows of this year not added:" << error.what();
        ShowMessage(app.mainWindow,
                    QString::fromUtf8("数据库中还没有今年的记录,也无法添加,今年的目标暂时不能保存。\n\n%1")
                        .arg(error.message()),
                    QString::fromUtf8("数据库错误"), MessageButtons::Ok, error.details());
    }
}

void RunStartup(const QString& exeDir, const DataFolder& data)
{
    InitAppContext(exeDir, data);
    BuildGoalPanel();
    BuildItemPanel();
    if (const std::optional<QFont> font = ReadTextFont())
        ApplyTextFont(*font);
    AppContext& app = App();
    ViewGoal(app.YearKeyEdit, Table::Nian, app.YearGoalEdit);
    ViewGoal(app.MonthKeyEdit, Table::Yue, app.MonthGoalEdit);
    ShowDayReminders();
    StartDateWatch(app.mainWindow);
    LoadLauncherTable();
    app.browser->AttachBrowser(app.WebPane);
    app.browser->ShowFixedPage(app.dataDir);
    app.WebPaneShown = 1;
    app.reloadContents = &ReloadWindowContents;
}

} // namespace jotrak
