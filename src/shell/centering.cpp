#include "shell/centering.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace jotrak {

namespace {

QRect DesktopOf(const QWidget* window)
{
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 1024, 768);
}

} // namespace

QPoint DesktopCenteredPosition(const QRect& desktop, const QSize& window)
{
    const int dw = desktop.width();
    const int dh = desktop.height();
    const int x = dw < window.width() ? 0 : (dw - window.width()) / 2;
    const int y = dh < window.height() ? 0 : (dh - window.height()) / 2 - 20;
    return desktop.topLeft() + QPoint(x, std::max(0, y));
}

QPoint MainWindowCenteredPosition(const QRect& mainWindow, const QRect& dialog, const QRect& desktop)
{
    const int x = mainWindow.width() >= dialog.width() ? mainWindow.left() + (mainWindow.width() - dialog.width()) / 2
                                                       : dialog.left();
    int y = mainWindow.height() >= dialog.height() ? mainWindow.top() + (mainWindow.height() - dialog.height()) / 2 - 20
                                                   : dialog.top();
    y = std::max(y, desktop.top());
    return {x, y};
}

void CenterOnDesktop(QWidget* window)
{
    if (!window)
        return;
    window->setGeometry(QRect(DesktopCenteredPosition(DesktopOf(window), window->size()), window->size()));
}

void CenterOnMainWindow(QWidget* dialog)
{
    // the outermost window the dialog stands over: the main window, also for a dialog opened from a dialog
    const QWidget* main = dialog ? dialog->parentWidget() : nullptr;
    while (main && main->window()->parentWidget())
        main = main->window()->parentWidget();
    if (!main)
        return;
    main = main->window();
    dialog->move(MainWindowCenteredPosition(main->frameGeometry(), dialog->frameGeometry(), DesktopOf(main)));
    dialog->raise();
}

} // namespace jotrak
