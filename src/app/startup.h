#pragma once

#include "shell/data_folder.h"

#include <QString>

namespace jotrak {

class MainWindow;
struct AppContext;

// The first start-up step: centres the main window, takes exeDir, the data
// folder (and its settings file), the fonts and the local time, opens db.mdb in
// the data folder (creating it when missing) and seeds empty period tables.
// Raises DatabaseError when the database cannot be opened, created or seeded.
void InitAppContext(AppContext& context, MainWindow& window, const QString& exeDir, const DataFolder& data);

// The whole start-up, once, right after the main window is shown: context,
// both columns of the window, the year and month goals, the day goal with its
// reminders (from then on the date is watched), the launcher buttons and the
// web page. Raises DatabaseError as InitAppContext.
void RunStartup(AppContext& context, MainWindow& window, const QString& exeDir, const DataFolder& data);

} // namespace jotrak
