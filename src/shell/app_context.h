#pragma once

#include "shell/work_log.h"

#include <QDateTime>
#include <QFont>
#include <QString>

#include <memory>
#include <utility>

namespace jotrak {

class CRiLi;
struct LauncherTable;
struct MaximList;

// An object of a layer above the shell, held here without its type being known:
// whoever makes it (the top layer, which knows the type) hands over its deleter too.
template <class T> using Owned = std::unique_ptr<T, void (*)(T*)>;

template <class T, class... Args> Owned<T> MakeOwned(Args&&... args)
{
    return Owned<T>(new T(std::forward<Args>(args)...), [](T* object) { delete object; });
}

// What the whole program shares and no window owns: the program's folder and
// the data folder, the fonts, the start-up time, today's date, the log, the
// launcher bindings and the maxims. No widget: the windows are handed what
// they need when they are made. Exactly one exists at a time; App() reaches it.
struct AppContext {
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    QString exeDir;
    // where the database, the maxims, the template and the start page are (see shell/data_folder.h)
    QString dataDir;
    QFont fontSong12;
    QFont fontKai18;
    QFont fontKai12;
    // the texts the user writes: goal boxes, reminder box, item list, dialogs 134 and 135
    // (fontSong12 unless another was chosen in 设置, see shell/text_font.h)
    QFont fontText;
    QDateTime startTime;
    std::unique_ptr<CRiLi> today;
    WorkLog log;
    Owned<jotrak::LauncherTable> LauncherTable{nullptr, nullptr};
    Owned<jotrak::MaximList> MaximList{nullptr, nullptr};
};

// The current program-wide object; there must be one.
AppContext& App();
bool HasApp();

// The database of a data folder: <dataDir>/db.mdb.
QString DatabaseFile(const QString& dataDir);

} // namespace jotrak
