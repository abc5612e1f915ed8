#pragma once

namespace jotrak {

// Reads table An into LauncherTable and sets the 18 button captions.
void LoadLauncherTable();
// Commands 139 to 156: opens the path of button id - 139 when it is bound.
void LaunchButton(int commandId);
// Opens dialog 131 "按钮设置" (command 126); reloads the buttons when it closes with 1.
void OpenLauncherSettings();

} // namespace jotrak
