#include "shell/desktop.h"

#include "shell/message_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QDesktopServices>
#include <QUrl>

namespace jotrak {

namespace {
bool g_seam = false;
bool g_failing = false;
QStringList g_opened;
QList<int> g_exitCodes;
} // namespace

bool OpenWithShell(const QString& path)
{
    if (g_seam) {
        g_opened.append(path);
        return !g_failing;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void OpenOrTell(QWidget* parent, const QString& path)
{
    if (!OpenWithShell(path))
        ShowMessage(parent,
                    QStringLiteral("无法打开 %1:系统中没有可以打开它的程序。").arg(QDir::toNativeSeparators(path)),
                    QStringLiteral("无法打开"));
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
    g_failing = false;
}

void ShellSeam::FailOpening(bool fail)
{
    g_failing = fail;
}

} // namespace testing
} // namespace jotrak
