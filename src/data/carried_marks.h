#pragma once

#include <QString>
#include <QStringList>

namespace jotrak {

// Version 6: an item carried forward keeps its place and names, in column
// CarriedTo of its item table, the key of the goal its copy went to
// (yyyymmdd, yyyymm or yyyy); Null while it was never carried.
inline const QString kCarriedToColumn = QStringLiteral("CarriedTo");

// The statements that add the column to the three item tables.
QStringList CarriedMarksSchema();

class ConnectionHolder;
// Whether the file's items can carry a mark of being carried forward (a file
// of an older version, opened read-only, cannot).
bool HasCarriedMarks(ConnectionHolder& connection);

} // namespace jotrak
