#pragma once

#include <functional>

class QObject;
class QWidget;

namespace jotrak {

// Runs action once, on the turn of the event loop after widget or its window
// has first been painted: what it does comes after the frame on the screen.
// Returns what waits for the paint (a child of widget, gone once the action
// ran); deleting it drops the action.
QObject* RunAfterFirstPaint(QWidget* widget, std::function<void()> action);

} // namespace jotrak
