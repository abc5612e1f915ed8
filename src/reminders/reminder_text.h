#pragma once

#include "reminders/reminder_rules.h"
#include "reminders/scheme_store.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <vector>

namespace jotrak {

class ConnectionHolder;

// One line per firing scheme: this, the content, then CR LF.
inline constexpr char16_t kReminderPrefix[] = u"[本日提醒]:";
// The whole text when no scheme fires.
inline constexpr char16_t kNoReminders[] = u"今日无必需提醒";

// The reminder lines of a day key, without line ends: every scheme of Tx, in
// IDME order, that falls on the day ("[本日提醒]:content"), however many and
// however long; then, when the key is a real date, the schemes announced ahead
// whose next day lies within their days ahead, nearest first ("3 天后:content").
// Raises DatabaseError when Tx cannot be read.
QStringList DayReminderLines(ConnectionHolder& connection, const QString& dayKey);
QStringList DayReminderLines(const std::vector<StoredScheme>& schemes, const QString& dayKey);

// The same lines as the text of the reminder box: each ends in CR LF, and
// kNoReminders stands for none.
QString ComposeDayReminders(ConnectionHolder& connection, const QString& dayKey);

// The reminder box for dayKey when today is todayKey: today's as above;
// another day's lines under "20261231 的提醒:", "无必需提醒" when none.
QString ComposeRemindersOf(ConnectionHolder& connection, const QString& dayKey, const QString& todayKey);

// 近期提醒: every day a scheme falls on from `first` for `days` days, by date,
// "2026年 12月 10日 (农历 11月 1号) 名称" (the lunar part where the tables
// hold the day; the content's first line when the name is blank).
QStringList UpcomingReminderLines(const std::vector<StoredScheme>& schemes, QDate first, int days = 60);

} // namespace jotrak
