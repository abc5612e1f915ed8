#pragma once

// The built program in a folder of its own, started as a user would start it:
// <folder>/jotrak with <folder>/Dt beside it, offscreen, optionally as the
// unprivileged user "nobody" so that file permissions apply even when the tests
// run as root.

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "support/program_files.h"

#include <unistd.h>

namespace jotrak::reliability {

// Tells the program that nobody is there to press OK: every message box is
// written to standard error and answered at once.
inline constexpr char kNonInteractive[] = "JOTRAK_NONINTERACTIVE";

inline constexpr int kNobody = 65534;

inline QByteArray FileHash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// How a child is started as "nobody" when the tests run as root; empty when no
// tool for it is there. Not needed (and not used) for an ordinary user.
inline QStringList AsNobodyPrefix()
{
    if (::geteuid() != 0)
        return {};
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (!setpriv.isEmpty())
        return {setpriv, QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                QStringLiteral("--clear-groups"), QStringLiteral("--")};
    const QString runuser = QStandardPaths::findExecutable(QStringLiteral("runuser"));
    if (!runuser.isEmpty())
        return {runuser, QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")};
    return {};
}

inline bool CanDropPrivileges()
{
    return ::geteuid() != 0 || !AsNobodyPrefix().isEmpty();
}

// Gives a file or folder to "nobody" (as root), so that it is that user's own.
inline bool GiveToNobody(const QString& path)
{
    return ::geteuid() != 0 || ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

struct RunResult {
    bool finished = false;
    int exitCode = -1;
    QString output; // standard output and standard error together
};

class ProgramCopy {
public:
    // Links (or copies) the program and its Dt files into a new folder.
    ProgramCopy()
    {
        QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFile::ReadOther | QFile::ExeOther |
                                               QFile::ReadGroup | QFile::ExeGroup);
        ok_ = testsupport::CopyProgramFiles(qEnvironmentVariable("JOTRAK_BIN_DIR"), dir_.path());
    }

    // Puts another built program beside this one, so that an unprivileged user,
    // who may not reach the build folder, can start it too.
    QString addProgram(const QString& name) const
    {
        const QString to = dir_.filePath(name);
        testsupport::LinkOrCopy(QDir(QCoreApplication::applicationDirPath()).filePath(name), to);
        return to;
    }

    bool ok() const { return ok_ && dir_.isValid(); }
    QString folder() const { return dir_.path(); }
    QString programPath() const { return dir_.filePath(QStringLiteral("jotrak")); }
    QString dtPath() const { return dir_.filePath(QStringLiteral("Dt")); }
    QString dt(const QString& name) const { return QDir(dtPath()).filePath(name); }
    QString database() const { return dt(QStringLiteral("db.mdb")); }

    // The names in Dt, to show that a failed start left nothing behind.
    QStringList dtEntries() const
    {
        return QDir(dtPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }

    // Starts the program and waits for it. A start that succeeds closes its window
    // right after start-up; a message box is answered at once.
    RunResult run(bool asNobody = false, int timeoutMs = 120000) const
    {
        return Run(QStringList{programPath()}, asNobody, timeoutMs);
    }

    static RunResult Run(QStringList command, bool asNobody, int timeoutMs = 120000)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("JOTRAK_QUIT_AFTER_STARTUP_MS"), QStringLiteral("0"));
        env.insert(QString::fromLatin1(kNonInteractive), QStringLiteral("1"));
        if (asNobody) {
            env.insert(QStringLiteral("HOME"), QDir::tempPath());
            env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
            command = AsNobodyPrefix() + command;
        }
        QProcess process;
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(command.takeFirst(), command);
        RunResult result;
        QByteArray output;
        QElapsedTimer sinceStart;
        sinceStart.start();
        QElapsedTimer sinceFailure; // a failed start that then does not end waits for a person
        while (!(result.finished = process.waitForFinished(200)) && process.state() != QProcess::NotRunning) {
            output += process.readAll();
            if (!sinceFailure.isValid() && output.contains("start-up failed"))
                sinceFailure.start();
            if (sinceStart.hasExpired(timeoutMs) || (sinceFailure.isValid() && sinceFailure.hasExpired(10000)))
                break;
        }
        if (!result.finished) {
            process.kill();
            process.waitForFinished();
        }
        result.exitCode = result.finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.output = QString::fromUtf8(output + process.readAll());
        return result;
    }

private:
    QTemporaryDir dir_;
    bool ok_ = false;
};

} // namespace jotrak::reliability
