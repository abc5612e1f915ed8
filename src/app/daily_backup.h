#pragma once

class QWidget;

namespace jotrak {

class BackgroundBackup;

// The day's backup: once the main window has first been painted, and then each
// hour while the program stays open, a backup is started on a thread of its own
// unless one was already tried today (or the backup folder holds one of today).
// Start-up never waits for it; its result is remembered for the settings
// dialog, and a failure stops nothing. The runner is a child of the window
// named "DailyBackup": closing the window stops a copy still running.
void StartDailyBackup(QWidget* mainWindow);

// The runner StartDailyBackup made, or null.
BackgroundBackup* DailyBackupRunner(QWidget* mainWindow);

// Starts the backup now when none was tried today; false when not started.
bool MakeDailyBackupIfDue(QWidget* mainWindow);

} // namespace jotrak
