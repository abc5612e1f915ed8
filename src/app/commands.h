#pragma once

namespace jotrak {

// Runs the action of one main-window command (see CommandId) inside the
// command guard. Identifiers without an action (119, 129-138, any other) do
// nothing.
void DispatchCommand(int id);

// Command 124: the web pane comes to the front in place of the work-item list.
void ShowWebPane();

// After a restore: the goal boxes, the day's reminders and a listed goal's
// items are read again from the database; the pane in front stays in front.
void ReloadWindowContents();

} // namespace jotrak
