#pragma once

namespace jotrak {

// The fixed layout of the main window, built once at start-up. Positions are
// client coordinates; the right column is sized from H = kLayoutHeight, the
// outer height the window is designed with.
//
// Object names (for tests and other parts of the program):
//   - every control stored in AppContext carries its member's name:
//     "YearKeyEdit", "MonthKeyEdit", "DayKeyEdit", "YearGoalEdit", "MonthGoalEdit",
//     "DayGoalEdit", "ReminderEdit", "ItemList", "WebPane", plus "TodayLabel" and
//     "MaximLabel";
//   - every button is "btn<command id>": "btn110" ... "btn127", the launcher
//     buttons "btn139" ... "btn156"; "btn123" is the 设置 spot beside "btn118",
//     a tool button whose menu ("SettingsMenu") names the shortcuts and offers
//     搜索 when AppContext::openSearch is set;
//   - the remaining labels and the group box: "YearGoalLabel", "MonthGoalLabel",
//     "DayGoalLabel", "ReminderLabel", "LauncherGroup".
// Every control carries its command identifier in the property "commandId"
// (0 for controls without one; 119 for ItemList).
inline constexpr int kLayoutHeight = 748;

// The left column: today's line, the three goal rows with their key boxes, the
// reminder box, the day-items button, 设置 and the 18 launcher buttons.
void BuildGoalPanel();
// The right column: the maxim, the work-item list (hidden), the web pane
// (shown) and the row of command buttons. Reads the maxims first.
void BuildItemPanel();

} // namespace jotrak
