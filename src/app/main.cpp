#include "app/command_line.h"
#include "app/program.h"
#include "shell/fonts.h"
#include "web/web_browser.h"

#include <QApplication>

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
    QApplication application(argc, argv);
    fonts.wait();
    return jotrak::RunProgram(QCoreApplication::applicationDirPath(), commandLine.commandLine);
}
