#include "app/startup.h"

#include "app/app_context.h"
#include "app/centering.h"
#include "app/fonts.h"
#include "app/main_layout.h"
#include "calendar/clock.h"
#include "data/record_access.h"
#include "data/seed.h"
#include "goals/period_goals.h"
#include "launcher/launcher.h"
#include "reminders/day_reminders.h"

#include <QWidget>

namespace jotrak {

void InitAppContext(const QString& exeDir)
{
    AppContext& app = App();
    CenterOnDesktop(app.mainWindow);
    app.exeDir = exeDir;
    app.windowRect = app.mainWindow->frameGeometry();
    app.fontSong12 = SongFont(12);
    app.fontKai18 = KaiFont(18);
    app.fontKai12 = KaiFont(12);
    app.mainWindow->setFont(app.fontSong12);
    app.startTime = Clock::LocalNow();
    CreateConnection(app.connection);
    OpenDatabase(app.connection, DatabasePath(exeDir));
    SeedPeriodTables(app.connection);
}

void RunStartup(const QString& exeDir)
{
    InitAppContext(exeDir);
    BuildGoalPanel();
    BuildItemPanel();
    AppContext& app = App();
    ViewGoal(app.YearKeyEdit, Table::Nian, app.YearGoalEdit);
    ViewGoal(app.MonthKeyEdit, Table::Yue, app.MonthGoalEdit);
    ShowDayReminders();
    LoadLauncherTable();
    app.browser.AttachBrowser(app.WebPane);
    app.browser.ShowFixedPage();
    app.WebPaneShown = 1;
}

} // namespace jotrak
