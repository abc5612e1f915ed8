#pragma once

#include <functional>

class QWidget;

namespace jotrak {

// Runs action once, on the turn of the event loop after widget or its window
// has first been painted: what it does comes after the frame on the screen.
void RunAfterFirstPaint(QWidget* widget, std::function<void()> action);

} // namespace jotrak
