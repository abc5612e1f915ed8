#include "app/commands.h"

#include "app/command_ids.h"
#include "app/day_reminders.h"
#include "export/export_dialog.h"
#include "goals/period_goals.h"
#include "search/search_dialog.h"
#include "goals/work_items.h"
#include "launcher/launcher.h"
#include "launcher/launcher_table.h"
#include "reminders/reminder_dialog.h"
#include "settings/settings_dialog.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"

#include <QTableWidget>

namespace jotrak {

// The launcher knows its buttons' identifiers without knowing the command table.
static_assert(kFirstLauncherCommand == kCmdFirstLauncher);
static_assert(kCmdLastLauncher - kCmdFirstLauncher + 1 == kLauncherButtons);

namespace {

void ListItems(PeriodKind kind, QLineEdit* keyEdit)
{
    App().CurrentKind = static_cast<int>(kind);
    ViewItems(keyEdit, GoalTableOf(kind));
}

void RunCommand(int id)
{
    AppContext& app = App();
    switch (id) {
    case kCmdViewYearGoal: ViewGoal(app.YearKeyEdit, Table::Nian, app.YearGoalEdit); break;
    case kCmdModifyYearGoal: ModifyGoal(app.YearKeyEdit, app.YearGoalEdit, Table::Nian); break;
    case kCmdYearItems: ListItems(PeriodKind::Year, app.YearKeyEdit); break;
    case kCmdViewMonthGoal: ViewGoal(app.MonthKeyEdit, Table::Yue, app.MonthGoalEdit); break;
    case kCmdModifyMonthGoal: ModifyGoal(app.MonthKeyEdit, app.MonthGoalEdit, Table::Yue); break;
    case kCmdMonthItems: ListItems(PeriodKind::Month, app.MonthKeyEdit); break;
    case kCmdViewDayGoal: ShowDayReminders(); break;
    case kCmdModifyDayGoal: ModifyGoal(app.DayKeyEdit, app.DayGoalEdit, Table::Ri); break;
    case kCmdDayItems: ListItems(PeriodKind::Day, app.DayKeyEdit); break;
    case kCmdAddItem: AddItem(); break;
    case kCmdEditItem: EditItem(); break;
    case kCmdDeleteItem: DeleteItem(); break;
    case kCmdSettings: OpenSettingsDialog(); break;
    case kCmdShowWebPane: ShowWebPane(); break;
    case kCmdReminderSettings: OpenReminderSettings(); break;
    case kCmdLauncherSettings: OpenLauncherSettings(); break;
    case kCmdExportGoals: OpenExportDialog(); break;
    case kCmdSearch: OpenSearchDialog(); break;
    default:
        if (id >= kCmdFirstLauncher && id <= kCmdLastLauncher)
            LaunchButton(id);
        break; // 119 and every identifier without an action
    }
}

} // namespace

void DispatchCommand(int id)
{
    RunGuarded(App().mainWindow, [id] { RunCommand(id); });
}

void ShowWebPane()
{
    AppContext& app = App();
    if (app.WebPane)
        app.WebPane->show();
    if (app.ItemList)
        app.ItemList->hide();
    app.WebPaneShown = 1;
}

void ReloadWindowContents()
{
    AppContext& app = App();
    ViewGoal(app.YearKeyEdit, Table::Nian, app.YearGoalEdit);
    ViewGoal(app.MonthKeyEdit, Table::Yue, app.MonthGoalEdit);
    ShowDayReminders();
    if (app.CurrentGoalId == -1)
        return;
    const bool webPaneInFront = app.WebPaneShown == 1;
    const PeriodKind kind = PeriodKindFromInt(app.CurrentKind).value_or(PeriodKind::Day);
    ListItems(kind, kind == PeriodKind::Year    ? app.YearKeyEdit
                    : kind == PeriodKind::Month ? app.MonthKeyEdit
                                                : app.DayKeyEdit);
    if (webPaneInFront)
        ShowWebPane();
}

} // namespace jotrak
