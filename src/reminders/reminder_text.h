#pragma once

#include "reminders/reminder_rules.h"

#include <QString>

namespace jotrak {

class ConnectionHolder;

// One line per firing scheme: this, the content, then CR LF.
inline constexpr char16_t kReminderPrefix[] = u"[本日提醒]:";
// The whole text when no scheme fires.
inline constexpr char16_t kNoReminders[] = u"今日无必需提醒";

// The reminder text of a day key: every scheme of Tx, in IDME order, that falls
// on the day, however many and however long. Raises DatabaseError when Tx
// cannot be read.
QString ComposeDayReminders(ConnectionHolder& connection, const QString& dayKey);

} // namespace jotrak
