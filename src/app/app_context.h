#pragma once

#include "data/record_access.h"
#include "launcher/launcher_table.h"
#include "web/web_browser.h"

#include <QDateTime>
#include <QFont>
#include <QRect>
#include <QString>

#include <memory>

class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class QWidget;

namespace jotrak {

class CRiLi;
struct MaximList;

// The one program-wide object: the main window and its controls, the program's
// folder, fonts, start-up time, today's date, the database connection, the state
// of the work-item view, the launcher bindings, the maxims and the web page.
// Exactly one exists at a time; App() reaches it.
struct AppContext {
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QWidget* mainWindow = nullptr;
    QString exeDir;
    QRect windowRect;
    QFont fontSong12;
    QFont fontKai18;
    QFont fontKai12;
    QTableWidget* ItemList = nullptr;
    QDateTime startTime;
    std::unique_ptr<CRiLi> today;
    ConnectionHolder connection;
    int CurrentKind = 3;
    int CurrentGoalId = -1;
    jotrak::LauncherTable LauncherTable;
    std::unique_ptr<jotrak::MaximList> MaximList;
    CWebBrowser2 browser;
    QWidget* WebPane = nullptr;
    QPlainTextEdit* YearGoalEdit = nullptr;
    QPlainTextEdit* MonthGoalEdit = nullptr;
    QPlainTextEdit* DayGoalEdit = nullptr;
    QPlainTextEdit* ReminderEdit = nullptr;
    QLineEdit* YearKeyEdit = nullptr;
    QLineEdit* MonthKeyEdit = nullptr;
    QLineEdit* DayKeyEdit = nullptr;
    int WebPaneShown = 0;
};

// The current program-wide object; there must be one.
AppContext& App();
bool HasApp();

// Path of the database beside the program: <exeDir>/Dt/db.mdb.
QString DatabasePath(const QString& exeDir);

} // namespace jotrak
