#pragma once

#include "shell/fixed_layout.h"

namespace jotrak {

// The command identifiers of the main window. Every button carries its own in
// the dynamic property "commandId"; controls without one carry 0.
enum CommandId : int {
    kCmdNone = 0,
    kCmdViewYearGoal = 110,
    kCmdModifyYearGoal = 111,
    kCmdYearItems = 112,
    kCmdViewMonthGoal = 113,
    kCmdModifyMonthGoal = 114,
    kCmdMonthItems = 115,
    kCmdViewDayGoal = 116,
    kCmdModifyDayGoal = 117,
    kCmdDayItems = 118,
    kCmdItemList = 119,
    kCmdAddItem = 120,
    kCmdEditItem = 121,
    kCmdDeleteItem = 122,
    kCmdSettings = 123,
    kCmdShowWebPane = 124,
    kCmdReminderSettings = 125,
    kCmdLauncherSettings = 126,
    kCmdExportGoals = 127,
    kCmdSearch = 128, // no control carries it: Ctrl+F, and 搜索 in the settings dialog
    kCmdFirstLauncher = 139,
    kCmdLastLauncher = 156,
    kCmdReport = 160,       // 工作报告: Ctrl+R, and in the 设置 spot's menu
    kCmdCarryForward = 161, // 结转未完成: the item list's menu, and the line offered on a new day
    kCmdSync = 162,         // 同步: the 设置 spot's menu and the settings dialog
};

} // namespace jotrak
