#include "launcher/launcher.h"

#include "launcher/launcher_dialog.h"
#include "launcher/launcher_table.h"
#include "shell/app_context.h"
#include "shell/desktop.h"

namespace jotrak {

LauncherCaptions LoadLauncherTable()
{
    return ReadLauncherTable(App().log.connection(), App().LauncherTable->entries);
}

void LaunchButton(QWidget* parent, int commandId)
{
    const int i = commandId - kFirstLauncherCommand;
    if (i < 0 || i >= kLauncherButtons)
        return;
    const LauncherButton& entry = App().LauncherTable->entries[i];
    if (entry.bound)
        OpenOrTell(parent, entry.path);
}

bool OpenLauncherSettings(QWidget* parent)
{
    LauncherDialog dialog(parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace jotrak
