#pragma once

#include <QStringList>

namespace jotrak {

// Asks the desktop to open a file or folder with the user's own program. The
// result is not examined: a missing path gives no message from Jotrak.
void OpenWithShell(const QString& path);

// Ends the program at once with the given exit code, after the normal clean-up.
void ExitProgram(int code);

namespace testing {

// Once enabled, nothing is opened and the program does not exit: the paths and
// exit codes are recorded instead.
class ShellSeam {
public:
    static void Enable();
    static void Disable();
    static const QStringList& Opened();
    static const QList<int>& ExitCodes();
    static void Clear();
};

} // namespace testing
} // namespace jotrak
