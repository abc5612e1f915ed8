#pragma once

#include "data/keys.h"

#include <QDate>
#include <QString>

class QWidget;

namespace jotrak {

class ConnectionHolder;
class WorkLog;

// 结转未完成: lists the open items under the goals of kind from firstKey to
// lastKey, all ticked, and carries the ticked ones to the current day's,
// month's or year's goal (CarryDestinationKey on today). Returns how many were
// carried; a database error is shown and carries nothing.
int ChooseAndCarryItems(QWidget* parent, WorkLog& log, PeriodKind kind, const QString& firstKey, const QString& lastKey,
                        QDate today);

// The quiet line of the first start of a day: "昨天还有 3 项未完成,可结转到今天";
// empty when yesterday left nothing open.
QString YesterdayOpenLine(ConnectionHolder& connection, QDate today);

} // namespace jotrak
