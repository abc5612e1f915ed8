#include "app/program.h"
#include "web/web_browser.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    jotrak::PrepareWebEngineEnvironment();
    QApplication application(argc, argv);
    return jotrak::RunProgram(QCoreApplication::applicationDirPath());
}
