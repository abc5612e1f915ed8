#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace jotrak {

class ConnectionHolder;

inline constexpr int kLauncherButtons = 18;
// The first command identifier of the launcher buttons: button i carries 139 + i.
inline constexpr int kFirstLauncherCommand = 139;
// The caption stored for a button that opens nothing.
inline const QString EmptyButtonName = QStringLiteral("0");

struct LauncherButton {
    bool bound = false;
    QString path;
};

// The 18 launcher bindings in button order: entry i belongs to command 139 + i.
struct LauncherTable {
    std::array<LauncherButton, kLauncherButtons> entries{};
};

// One row of table An: the caption and the path of one button.
struct LauncherRow {
    QString name;
    QString path;
};

using LauncherCaptions = std::array<QString, kLauncherButtons>;

// Reads table An in IDME order into the entries and returns the caption of each
// button. A row named "0" leaves its entry unbound (its old path untouched) with an
// empty caption; any other name binds the entry to the row's path. Rows past the
// 18th are ignored; an entry without a row is unbound with an empty caption.
LauncherCaptions ReadLauncherTable(ConnectionHolder& connection, std::array<LauncherButton, kLauncherButtons>& entries);

// The lines of the settings list, one per button in IDME order: the button's name,
// or its number when it is unbound.
QStringList LauncherListLines(ConnectionHolder& connection);

// Row buttonNumber (1 to 18) of An, or nothing when there is none. Null reads as empty text.
std::optional<LauncherRow> ReadLauncherRow(ConnectionHolder& connection, int buttonNumber);

// Stores name and path whole into row buttonNumber of An. False when that row does
// not exist (nothing is written then).
bool StoreLauncherRow(ConnectionHolder& connection, int buttonNumber, const LauncherRow& row);

} // namespace jotrak
