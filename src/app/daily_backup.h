#pragma once

class QWidget;

namespace jotrak {

class BackgroundBackup;
class WorkLog;

// The day's backup: once the main window has first been painted, and then each
// hour while the program stays open, a backup of the log is started on a
// thread of its own unless one was already tried today (or the backup folder
// holds one of today). Start-up never waits for it; its result is remembered
// for the settings dialog, and a failure stops nothing. The runner is a child
// of the log named "DailyBackup": closing the log stops a copy still running.
void StartDailyBackup(WorkLog& log, QWidget* mainWindow);
// The runner StartDailyBackup made, or null.
BackgroundBackup* DailyBackupRunner(WorkLog& log);
// Starts the backup now when none was tried today; false when not started.
bool MakeDailyBackupIfDue(WorkLog& log);

} // namespace jotrak
