#include "app/program.h"
#include "shell/fonts.h"
#include "web/web_browser.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    jotrak::PrepareWebEngineEnvironment();
    jotrak::FontConfigurationLoader fonts;
    QApplication application(argc, argv);
    fonts.wait();
    return jotrak::RunProgram(QCoreApplication::applicationDirPath());
}
