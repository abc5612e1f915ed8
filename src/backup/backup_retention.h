#pragma once

#include <QStringList>

namespace jotrak {

// Which of names, the copies of one log, to remove: kept are every copy of the 14 most recent days
// that have one (a copy made by hand, or before a restore, keeps the day's
// earlier ones), and the newest copy of each of the 12 most recent months
// before those days. Copies made before an upgrade and every other name are
// never removed.
QStringList BackupsToRemove(const QStringList& names);

inline constexpr int kDailyBackupsKept = 14;
inline constexpr int kMonthlyBackupsKept = 12;

} // namespace jotrak
