#include "launcher/launcher.h"

#include "launcher/launcher_dialog.h"
#include "launcher/launcher_table.h"
#include "shell/app_context.h"
#include "shell/desktop.h"

#include <QPushButton>

namespace jotrak {

void LoadLauncherTable()
{
    LauncherTable& table = *App().LauncherTable;
    const LauncherCaptions captions = ReadLauncherTable(App().connection, table.entries);
    for (int k = 0; k < kLauncherButtons; ++k) {
        // "&" is shown as itself, not taken as a shortcut mark
        if (table.buttons[k])
            table.buttons[k]->setText(QString(captions[k]).replace(QLatin1Char('&'), QLatin1String("&&")));
    }
}

void LaunchButton(int commandId)
{
    const int i = commandId - kFirstLauncherCommand;
    if (i < 0 || i >= kLauncherButtons)
        return;
    const LauncherButton& entry = App().LauncherTable->entries[i];
    if (entry.bound)
        OpenWithShell(entry.path);
}

void OpenLauncherSettings()
{
    LauncherDialog dialog(App().mainWindow);
    if (dialog.exec() == 1)
        LoadLauncherTable();
}

} // namespace jotrak
