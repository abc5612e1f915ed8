#pragma once

#include "shell/data_folder.h"

#include <QString>

#include <functional>
#include <memory>

namespace jotrak {

class LogOpening;
class MainWindow;
struct AppContext;

// Starts opening the data folder's log (db.mdb, created when missing) on a
// thread of its own, after readyFolder when given; RunStartup takes it once the
// window is made. Nothing reads the folder's other files before then.
std::unique_ptr<LogOpening> StartOpeningLog(const DataFolder& data, std::function<QString()> readyFolder = {});

// The start-up up to the window's first frame, once, right after the main
// window is shown: the context (the folders, the settings file, the fonts, the
// local time), both columns of the window, the log (db.mdb in the data folder,
// created when missing, its empty period tables seeded and this year's rows
// added), the maxims, the day goal, the launcher buttons and the web page.
// Raises DatabaseError when the log cannot be opened, created or seeded.
void RunStartup(AppContext& context, MainWindow& window, const QString& exeDir, const DataFolder& data);
// The same with the log already being opened (StartOpeningLog): the window is
// made meanwhile.
void RunStartup(AppContext& context, MainWindow& window, const QString& exeDir, const DataFolder& data,
                LogOpening& opening);
// The rest, once the first frame is on the screen: the year and month goals
// (from then on the date is watched), the reminders of the day, the maxim and
// the web pane's note when it stays empty. Raises DatabaseError.
void FinishStartup(AppContext& context, MainWindow& window);

} // namespace jotrak
