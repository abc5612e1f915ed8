#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace jotrak {

// Where a window of the given outer size goes on a desktop: centred, 20 pixels
// above the middle, at 0 when it does not fit, and never above the top edge.
QPoint DesktopCenteredPosition(const QRect& desktop, const QSize& window);
// Where a dialog goes over the main window: centred, 20 pixels above the middle;
// a dialog wider (taller) than the main window keeps its left (top) edge. Never
// above the top edge of the desktop.
QPoint MainWindowCenteredPosition(const QRect& mainWindow, const QRect& dialog, const QRect& desktop);

// Places a top-level window not yet shown at DesktopCenteredPosition. Its
// client area is placed: a position that includes the frame has Qt ask the X
// server for the frame once the window is mapped, and move it again.
void CenterOnDesktop(QWidget* window);
// Moves a dialog to MainWindowCenteredPosition over the program's main window.
void CenterOnMainWindow(QWidget* dialog);

} // namespace jotrak
