#include "support/program.h"
#include "support/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>

#include <unistd.h>

namespace jotrak::test {

namespace {

constexpr int kNobody = 65534;

QStringList AsNobodyPrefix()
{
    if (::geteuid() != 0)
        return {};
    if (const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv")); !setpriv.isEmpty())
        return {setpriv, QStringLiteral("--reuid=%1").arg(kNobody), QStringLiteral("--regid=%1").arg(kNobody),
                QStringLiteral("--clear-groups"), QStringLiteral("--")};
    if (const QString runuser = QStandardPaths::findExecutable(QStringLiteral("runuser")); !runuser.isEmpty())
        return {runuser, QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--")};
    return {};
}

} // namespace

QProcessEnvironment ChildEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("JOTRAK_QUIT_AFTER_STARTUP_MS"), QStringLiteral("0"));
    env.insert(QStringLiteral("JOTRAK_NONINTERACTIVE"), QStringLiteral("1"));
    env.insert(QStringLiteral("JOTRAK_REPORT_SHOWN"), QStringLiteral("1"));
    return env;
}

QString BuiltBeside(const QString& name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

bool CanDropPrivileges()
{
    return ::geteuid() != 0 || !AsNobodyPrefix().isEmpty();
}

bool GiveToNobody(const QString& path)
{
    return ::geteuid() != 0 || ::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0;
}

QString RunResult::describe() const
{
    return QStringLiteral("finished %1, exit code %2, output:\n%3").arg(finished).arg(exitCode).arg(output.right(2000));
}

RunResult RunToEnd(QStringList command, bool asNobody, int timeoutMs, const QString& home)
{
    QProcessEnvironment env = ChildEnvironment();
    if (!home.isEmpty()) {
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    }
    if (asNobody) {
        if (home.isEmpty())
            env.insert(QStringLiteral("HOME"), QDir::tempPath());
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        command = AsNobodyPrefix() + command;
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(QDir::tempPath()); // the program finds Dt beside itself, not here
    process.start(command.takeFirst(), command);
    RunResult result;
    QByteArray output;
    QElapsedTimer sinceStart;
    sinceStart.start();
    QElapsedTimer sinceFailure;
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

ProgramCopy::ProgramCopy()
{
    QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFile::ReadOther | QFile::ExeOther |
                                           QFile::ReadGroup | QFile::ExeGroup);
    ok_ = dir_.isValid() && testsupport::CopyProgramFiles(qEnvironmentVariable("JOTRAK_BIN_DIR"), dir_.path());
}

RunResult ProgramCopy::run(bool asNobody, const QStringList& arguments) const
{
    const QString home = dir_.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    if (asNobody)
        GiveToNobody(home);
    return RunToEnd(QStringList{dir_.filePath(QStringLiteral("jotrak"))} + arguments, asNobody, 120000, home);
}

QString ProgramCopy::add(const QString& name) const
{
    const QString to = dir_.filePath(name);
    testsupport::LinkOrCopy(BuiltBeside(name), to);
    return to;
}

} // namespace jotrak::test
