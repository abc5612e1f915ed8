#include "support/program.h"
#include "support/program_files.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <unistd.h>

namespace jotrak::test {

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

bool CanRunAsNobody()
{
    return ::geteuid() != 0 || !QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty();
}

bool GiveToNobody(const QString& path)
{
    return ::geteuid() != 0 || ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
}

RunResult Run(QStringList command, bool asNobody, const QString& home)
{
    QProcessEnvironment env = ChildEnvironment();
    if (!home.isEmpty()) {
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.remove(QStringLiteral("XDG_CONFIG_HOME"));
    }
    if (asNobody && ::geteuid() == 0) {
        if (home.isEmpty())
            env.insert(QStringLiteral("HOME"), QDir::tempPath());
        env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
        command = QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                              QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"), QStringLiteral("--")} +
                  command;
    }
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(QDir::tempPath()); // the program finds Dt beside itself, not here
    process.start(command.takeFirst(), command);
    RunResult result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    process.kill();
    process.waitForFinished();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

ProgramCopy::ProgramCopy()
{
    QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFile::ReadOther | QFile::ExeOther);
    testsupport::CopyProgramFiles(qEnvironmentVariable("JOTRAK_BIN_DIR"), dir_.path());
}

RunResult ProgramCopy::run(bool asNobody, const QStringList& arguments) const
{
    const QString home = dir_.filePath(QStringLiteral("home"));
    QDir().mkpath(home);
    if (asNobody)
        GiveToNobody(home);
    return Run(QStringList{dir_.filePath(QStringLiteral("jotrak"))} + arguments, asNobody, home);
}

QString ProgramCopy::add(const QString& name) const
{
    const QString to = dir_.filePath(name);
    testsupport::LinkOrCopy(BuiltBeside(name), to);
    return to;
}

} // namespace jotrak::test
