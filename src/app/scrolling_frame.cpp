#include "app/scrolling_frame.h"

#include "app/main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace jotrak {

ScrollingFrame::ScrollingFrame(MainWindow& window) : window_(window)
{
    setWindowTitle(window.windowTitle());
    setWidgetResizable(false);
    setWidget(&window);
}

ScrollingFrame::~ScrollingFrame()
{
    // the window is not the frame's to delete
    takeWidget();
}

void ScrollingFrame::closeEvent(QCloseEvent* event)
{
    if (window_.readyToEnd())
        event->accept();
    else
        event->ignore();
}

std::unique_ptr<ScrollingFrame> FrameWhenScreenIsSmall(MainWindow& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return nullptr;
    const QSize room = screen->availableSize();
    // the title bar and the frame's borders take about this much on common desktops
    const QSize outer = window.size() + QSize(16, 38);
    if (room.width() >= outer.width() && room.height() >= outer.height())
        return nullptr;
    auto frame = std::make_unique<ScrollingFrame>(window);
    frame->resize(room.boundedTo(outer + QSize(20, 20)) - QSize(16, 38));
    return frame;
}

} // namespace jotrak
