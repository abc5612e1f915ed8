#pragma once

// Whole-program runs: the built program in a folder of its own (program_files.h),
// started offscreen as a user would, every message box written to standard error
// and answered OK, closing right after start-up; optionally as the unprivileged
// user "nobody", so that file permissions apply even when the tests run as root.

#include <QProcess>
#include <QTemporaryDir>

namespace jotrak::test {

// The environment of every child process a test starts.
QProcessEnvironment ChildEnvironment();
// A file built beside the test executables (a worker, a probe).
QString BuiltBeside(const QString& name);

bool CanRunAsNobody();
// Gives a file or folder to "nobody" (as root), so that it is that user's own.
bool GiveToNobody(const QString& path);

struct RunResult {
    int exitCode = -1; // -1: it did not end by itself within a minute
    QString output;    // standard output and standard error together
};
// Starts command and waits for it, with home as the user's home folder when given
// (where the user's data folder is).
RunResult Run(QStringList command, bool asNobody = false, const QString& home = {});

class ProgramCopy {
public:
    ProgramCopy();
    QString folder() const { return dir_.path(); }
    QString dt(const QString& name = {}) const { return dir_.filePath(QStringLiteral("Dt/") + name); }
    QString database() const { return dt(QStringLiteral("db.mdb")); }
    // The data folder of a start without a writable Dt: in a home of the copy's own.
    QString userDt(const QString& name = {}) const
    {
        return dir_.filePath(QStringLiteral("home/.local/share/Jotrak/Dt/") + name);
    }
    RunResult run(bool asNobody = false, const QStringList& arguments = {}) const;
    // Puts a file built beside the tests into the folder (an unprivileged user may not reach the build).
    QString add(const QString& name) const;

private:
    QTemporaryDir dir_;
};

} // namespace jotrak::test
