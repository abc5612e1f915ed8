#include "app/command_line.h"
#include "app/program.h"
#include "shell/fonts.h"
#include "web/web_browser.h"

#include <QApplication>
#include <QFileInfo>

#include <memory>
#include <utility>

int main(int argc, char* argv[])
{
    // the name the user's data and configuration folders are called by (~/.local/share/Jotrak)
    QCoreApplication::setApplicationName(QStringLiteral("Jotrak"));
    QCoreApplication::setApplicationVersion(QStringLiteral(JOTRAK_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(JOTRAK_APP_ID));
    const jotrak::CommandLineReading commandLine = jotrak::ReadCommandLine(argc, argv);
    if (commandLine.exitCode)
        return *commandLine.exitCode;
    jotrak::PrepareWebEngineEnvironment();
    jotrak::FontConfigurationLoader fonts;
    // Linux's own answer, which QApplication gives later: the log starts opening while Qt starts
    const QString programDir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    std::unique_ptr<jotrak::ProgramStart> start =
        programDir.isEmpty() ? nullptr : jotrak::BeginProgram(programDir, commandLine.commandLine);
    QApplication application(argc, argv);
    fonts.wait();
    return jotrak::RunProgram(std::move(start), commandLine.commandLine);
}
