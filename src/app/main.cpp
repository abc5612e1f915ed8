#include "app/command_line.h"
#include "app/program.h"
#include "shell/fonts.h"
#include "web/web_browser.h"

#include <QApplication>
#include <QDBusConnection>
#include <QFileInfo>

#include <memory>
#include <thread>
#include <utility>

namespace {

// The desktop's session bus, which the window's first show asks for (for
// accessibility) and waits on, connected on a thread while the window is made.
class SessionBusConnecting {
public:
    SessionBusConnecting() : thread_([] { QDBusConnection::sessionBus(); }) {}
    ~SessionBusConnecting() { thread_.join(); }
    SessionBusConnecting(const SessionBusConnecting&) = delete;
    SessionBusConnecting& operator=(const SessionBusConnecting&) = delete;

private:
    std::thread thread_;
};

} // namespace

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
    const SessionBusConnecting bus;
    fonts.wait();
    return jotrak::RunProgram(std::move(start), commandLine.commandLine);
}
