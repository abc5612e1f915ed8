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
    if (const std::optional<int> answered = jotrak::AnswerHelpOrVersion(argc, argv))
        return *answered;
    jotrak::PrepareWebEngineEnvironment();
    jotrak::FontConfigurationLoader fonts;
    QApplication application(argc, argv);
    const jotrak::CommandLine commandLine = jotrak::ReadCommandLine(QCoreApplication::arguments());
    fonts.wait();
    return jotrak::RunProgram(QCoreApplication::applicationDirPath(), commandLine);
}
