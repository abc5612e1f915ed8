#pragma once

namespace jotrak {

class MainWindow;
struct AppContext;

// Keeps the window's 今日 true while the program stays open for days. Called
// once start-up has filled the boxes. The local date is looked at when a
// single-shot timer aimed at the next local midnight fires (at most an hour
// ahead, since a suspended machine or a changed clock or time zone sends no
// event here), and whenever the main window is activated. When it has moved on
// (either way), the today line shows the new date, and each key box still
// holding what start-up or the last change put there, with its goal box
// unchanged, moves to the new key with its goal; the day box brings the day's
// reminders along. Other boxes, the item list and unsaved text stay as they
// are (a day box left behind keeps its day's reminders, named); no message box
// is shown.
void StartDateWatch(MainWindow& window, AppContext& context);

} // namespace jotrak
