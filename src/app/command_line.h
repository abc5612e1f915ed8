#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace jotrak {

// jotrak [--data-dir <folder>] [--help] [--version], after Qt's own options
// (-platform and the like), which QApplication takes first.
struct CommandLine {
    QString dataDir; // empty: the data folder is chosen as shell/data_folder.h says
};

// --help and --version are answered on standard output before any window
// system is reached (a terminal without a display can ask too); returns the
// exit code then, and nothing when the program is to run.
std::optional<int> AnswerHelpOrVersion(int argc, char* argv[]);

// The command line the program runs with, read once the QApplication exists.
// A wrong one is named on standard error and the process exits with 1.
CommandLine ReadCommandLine(const QStringList& arguments);

} // namespace jotrak
