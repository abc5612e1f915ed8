#pragma once

#include <QStringList>

class QWidget;

namespace jotrak {

// Asks the desktop to open a file or folder with the user's own program; false
// when the desktop has no program for it (or no opener at all).
bool OpenWithShell(const QString& path);
// The same, and when nothing could open it a message over parent says so.
void OpenOrTell(QWidget* parent, const QString& path);

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
    // What is opened from now on finds no program to open it.
    static void FailOpening(bool fail);
};

} // namespace testing
} // namespace jotrak
