#include "shell/desktop.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

namespace jotrak {

namespace {
bool g_seam = false;
QStringList g_opened;
QList<int> g_exitCodes;
} // namespace

void OpenWithShell(const QString& path)
{
    if (g_seam) {
        g_opened.append(path);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ExitProgram(int code)
{
    if (g_seam) {
        g_exitCodes.append(code);
        return;
    }
    QCoreApplication::exit(code);
}

namespace testing {

void ShellSeam::Enable()
{
    g_seam = true;
    Clear();
}

void ShellSeam::Disable()
{
    g_seam = false;
    Clear();
}

const QStringList& ShellSeam::Opened()
{
    return g_opened;
}

const QList<int>& ShellSeam::ExitCodes()
{
    return g_exitCodes;
}

void ShellSeam::Clear()
{
    g_opened.clear();
    g_exitCodes.clear();
}

} // namespace testing
} // namespace jotrak
