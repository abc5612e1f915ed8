#pragma once

#include <QString>

#include <optional>

namespace jotrak {

// jotrak [--data-dir <folder>] [--no-start-page] [--quit-after-startup <ms>]
// [--report-paint] [--unattended] [--help] [--version], besides Qt's own options
// (-platform and the like), which QApplication takes. The last three serve
// packagers' checks and start-up measurements; --no-start-page machines where
// the web engine misbehaves.
struct CommandLine {
    QString dataDir;             // empty: the data folder is chosen as shell/data_folder.h says
    int quitAfterStartupMs = -1; // >= 0: the window closes that long after start-up
    bool reportPaint = false;    // the start-up's paint markers on standard error (program.h)
    bool unattended = false;     // messages on standard error, answered with OK
    bool startPage = true;       // false: the web engine is not started
};

// What the command line asks for: to run with commandLine, or to end at once
// with exitCode.
struct CommandLineReading {
    CommandLine commandLine;
    std::optional<int> exitCode;
};

// Reads argv before any QCoreApplication exists, so that a wrong command line is
// told even where no window system can start. --help and --version are answered
// on standard output (exit code 0); a wrong command line (an unknown option, a
// missing or empty value, a --data-dir that names a file, an argument the
// program does not take) is named in Chinese on standard error (exit code 1).
CommandLineReading ReadCommandLine(int argc, char* argv[]);

} // namespace jotrak
