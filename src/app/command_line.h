#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace jotrak {

// jotrak [--data-dir <folder>] [--quit-after-startup <ms>] [--report-paint]
// [--unattended] [--no-start-page] [--help] [--version], after Qt's own options
// (-platform and the like), which QApplication takes first. The last four serve
// packagers' checks and start-up measurements, and machines where the web engine
// misbehaves.
struct CommandLine {
    QString dataDir;             // empty: the data folder is chosen as shell/data_folder.h says
    int quitAfterStartupMs = -1; // >= 0: the window closes that long after start-up
    bool reportPaint = false;    // the start-up's paint markers on standard error (program.h)
    bool unattended = false;     // messages on standard error, answered with OK
    bool startPage = true;       // false: the web engine is not started
};

// --help and --version are answered on standard output before any window
// system is reached (a terminal without a display can ask too); returns the
// exit code then, and nothing when the program is to run.
std::optional<int> AnswerHelpOrVersion(int argc, char* argv[]);

// The command line the program runs with, read once the QApplication exists.
// A wrong one is named on standard error and the process exits with 1.
CommandLine ReadCommandLine(const QStringList& arguments);

} // namespace jotrak
