#pragma once

#include "launcher/launcher_table.h"

class QWidget;

namespace jotrak {

// Reads table An into App().LauncherTable; returns the 18 button captions.
LauncherCaptions LoadLauncherTable();
// Commands 139 to 156: opens the path of button id - 139 when it is bound; a
// path nothing can open is told over parent.
void LaunchButton(QWidget* parent, int commandId);
// Opens dialog 131 "按钮设置" over parent (command 126); true when it closed
// with 1 and the buttons are to be loaded again.
bool OpenLauncherSettings(QWidget* parent);

} // namespace jotrak
