#pragma once

#include "app/command_line.h"
#include "app/log_opening.h"
#include "app/single_window.h"
#include "shell/data_folder.h"

#include <QString>

#include <memory>

namespace jotrak {

// What a start does before the application connects to the display: the data
// folder found (commandLine.dataDir when not empty, else as shell/data_folder.h
// says) and made ready and, unless another program has its log open, the log
// opening on a thread while Qt starts and the window is made.
struct ProgramStart {
    QString exeDir;
    DataFolder data;
    std::unique_ptr<SingleWindow> single;
    QString folderTrouble; // why the folder cannot serve
    std::unique_ptr<LogOpening> opening;
};
// exeDir: the program's own folder.
std::unique_ptr<ProgramStart> BeginProgram(const QString& exeDir, const CommandLine& commandLine);

// The program on an existing QApplication: loads Qt's Chinese translation
// (InstallQtTranslation), builds AppContext and the main window, shows it,
// runs the start-up and the event loop. start: what BeginProgram began; begun
// afresh when missing or made for another folder than the application's.
// Returns the exit code: 0 after the window is closed (or a right press on
// its background), 1 when start-up fails (the user is told which folder or file
// and why; nothing is overwritten).
//
// With --quit-after-startup the window closes that many milliseconds after
// start-up; with --report-paint the line "JOTRAK_SHOWN" goes to standard error
// when the main window is first painted, "JOTRAK_READY" when start-up has
// filled it, and "JOTRAK_TODAY <window id> <steady clock, us>" once every paint
// of today's line is on its way to the screen.
// The window is shown and built by the start-up sequence before the event loop
// runs, so its first frame is the whole window; what only fills it (the year
// and month goals, the reminders, the maxim) follows that frame
// (FinishStartup).
int RunProgram(std::unique_ptr<ProgramStart> start, const CommandLine& commandLine);

// The marker line written for --report-paint.
inline constexpr char kShownMarker[] = "JOTRAK_SHOWN";
// Written on standard error when the start-up sequence has filled the window.
inline constexpr char kReadyMarker[] = "JOTRAK_READY";
// Written, with the native id of the top-level window and the time on the steady
// clock, whenever today's line has been painted.
inline constexpr char kTodayMarker[] = "JOTRAK_TODAY";

} // namespace jotrak
