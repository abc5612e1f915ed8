#pragma once

#include <QObject>
#include <QString>

namespace jotrak {

class BackgroundBackup;
class ConnectionHolder;

// The day's backup of the log in dataDir: once the main window has first been
// painted, and then each hour while the program stays open, a backup is
// started on a thread of its own unless one was already made today (or the
// backup folder holds one of today): after a failure (a folder that cannot be
// written, a full disk) every check tries again until one succeeds. Start-up
// never waits for it; its result is remembered for the settings dialog, which
// tells a failure until a later backup succeeds, and a failure stops nothing. The
// runner is a child of the window, named "DailyBackup": closing the window
// stops a copy still running. connection must outlive the window.
void StartDailyBackup(QObject* mainWindow, ConnectionHolder& connection, const QString& dataDir);

// The runner StartDailyBackup made, or null.
BackgroundBackup* DailyBackupRunner(QObject* mainWindow);

// Starts the backup now when none was made today; false when not started.
bool MakeDailyBackupIfDue(QObject* mainWindow);

} // namespace jotrak
