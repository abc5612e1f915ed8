#pragma once

#include <functional>

class QWidget;

namespace jotrak {

// Runs one user command. A DatabaseError (or any other failure) that reaches it
// is shown in a message box and the program keeps running; every change is
// atomic, so nothing is half-written.
void RunGuarded(QWidget* owner, const std::function<void()>& action);

} // namespace jotrak
