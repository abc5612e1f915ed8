#pragma once

namespace jotrak {

// Shows the day goal, then the reminders that fall on the day in the day key box
// (start-up and command 116). A database error is raised to the caller, which
// runs commands guarded; the reminder box then keeps its text.
void ShowDayReminders();

} // namespace jotrak
