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

} // namespace jotrak
