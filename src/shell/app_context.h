#pragma once

#include "data/record_access.h"

#include <QDateTime>
#include <QFont>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <utility>

class QLineEdit;
class QPlainTextEdit;
class QTableWidget;
class QWidget;

namespace jotrak {

class CRiLi;
class CWebBrowser2;
struct LauncherTable;
struct MaximList;

// An object of a layer above the shell, held here without its type being known:
// whoever makes it (the top layer, which knows the type) hands over its deleter too.
template <class T> using Owned = std::unique_ptr<T, void (*)(T*)>;

template <class T, class... Args> Owned<T> MakeOwned(Args&&... args)
{
    return Owned<T>(new T(std::forward<Args>(args)...), [](T* object) { delete object; });
}

// The one program-wide object: the main window and its controls, the program's
// folder and the data folder, fonts, start-up time, today's date, the database connection, the state
// of the work-item view, the launcher bindings, the maxims and the web page.
// Exactly one exists at a time; App() reaches it. The launcher bindings, the
// maxims and the web page are made by the start-up (InitAppContext).
struct AppContext {
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QWidget* mainWindow = nullptr;
    QString exeDir;
    // where the database, the maxims, the template and the start page are (see shell/data_folder.h)
    QString dataDir;
    QRect windowRect;
    QFont fontSong12;
    QFont fontKai18;
    QFont fontKai12;
    // the texts the user writes: goal boxes, reminder box, item list, dialogs 134 and 135
    // (fontSong12 unless another was chosen in 设置, see shell/text_font.h)
    QFont fontText;
    QTableWidget* ItemList = nullptr;
    QDateTime startTime;
    std::unique_ptr<CRiLi> today;
    ConnectionHolder connection;
    int CurrentKind = 3;
    int CurrentGoalId = -1;
    Owned<jotrak::LauncherTable> LauncherTable{nullptr, nullptr};
    Owned<jotrak::MaximList> MaximList{nullptr, nullptr};
    Owned<CWebBrowser2> browser{nullptr, nullptr};
    QWidget* WebPane = nullptr;
    QPlainTextEdit* YearGoalEdit = nullptr;
    QPlainTextEdit* MonthGoalEdit = nullptr;
    QPlainTextEdit* DayGoalEdit = nullptr;
    QPlainTextEdit* ReminderEdit = nullptr;
    QLineEdit* YearKeyEdit = nullptr;
    QLineEdit* MonthKeyEdit = nullptr;
    QLineEdit* DayKeyEdit = nullptr;
    int WebPaneShown = 0;
    // Opens the search dialog; set by whoever provides one. Offered next to 设置 only when set.
    std::function<void()> openSearch;
    // Shows the day goal with the reminders of that day (the day row's 查看); set by the start-up.
    std::function<void()> showDayGoal;
    // Shows again what the database holds in the goal boxes and the item list
    // (after a restore put another file in place); set by the start-up.
    std::function<void()> reloadContents;
};

// The current program-wide object; there must be one.
AppContext& App();
bool HasApp();

// The database of a data folder: <dataDir>/db.mdb.
QString DatabaseFile(const QString& dataDir);

} // namespace jotrak
