#include "reminders/reminder_text.h"

#include "reminders/reminder_occurrences.h"

#include <algorithm>

namespace jotrak {

namespace {

struct Coming {
    int days;
    QString content;
};

// The nearest day within its days ahead for each scheme that is announced ahead.
std::vector<Coming> ComingReminders(const std::vector<StoredScheme>& schemes, QDate today)
{
    std::vector<Coming> coming;
    for (const StoredScheme& stored : schemes) {
        for (int days = 1; days <= stored.scheme.daysAhead; ++days) {
            if (SchemeFiresOn(ReminderDayOfDate(today.addDays(days)), stored.scheme.calendar, stored.scheme.dateRule)) {
                coming.push_back({days, stored.scheme.content});
                break;
            }
        }
    }
    std::stable_sort(coming.begin(), coming.end(), [](const Coming& a, const Coming& b) { return a.days < b.days; });
    return coming;
}

} // namespace

QStringList DayReminderLines(const std::vector<StoredScheme>& schemes, const QString& dayKey)
{
    const ReminderDay day = ReminderDayOf(dayKey);
    const QString prefix = QString::fromUtf16(kReminderPrefix);
    QStringList lines;
    for (const StoredScheme& stored : schemes)
        if (SchemeFiresOn(day, stored.scheme.calendar, stored.scheme.dateRule))
            lines << prefix + stored.scheme.content;
    const DayNumbers numbers = SplitDayKey(dayKey);
    const QDate date(numbers.year, numbers.month, numbers.day);
    if (dayKey.size() == 8 && date.isValid())
        for (const Coming& coming : ComingReminders(schemes, date))
            lines << QStringLiteral("%1 天后:").arg(coming.days) + coming.content;
    return lines;
}

QStringList DayReminderLines(ConnectionHolder& connection, const QString& dayKey)
{
    return DayReminderLines(ListSchemes(connection), dayKey);
}

QString ComposeDayReminders(ConnectionHolder& connection, const QString& dayKey)
{
    QString text;
    for (const QString& line : DayReminderLines(connection, dayKey))
        text += line + QStringLiteral("\r\n");
    return text.isEmpty() ? QString::fromUtf16(kNoReminders) : text;
}

QString ComposeRemindersOf(ConnectionHolder& connection, const QString& dayKey, const QString& todayKey)
{
    if (dayKey == todayKey)
        return ComposeDayReminders(connection, dayKey);
    QString text = QStringLiteral("%1 的提醒:\r\n").arg(dayKey);
    const QStringList lines = DayReminderLines(connection, dayKey);
    for (const QString& line : lines)
        text += line + QStringLiteral("\r\n");
    return lines.isEmpty() ? text + QStringLiteral("无必需提醒") : text;
}

QStringList UpcomingReminderLines(const std::vector<StoredScheme>& schemes, QDate first, int days)
{
    QStringList lines;
    for (const Occurrence& occurrence : OccurrencesBetween(schemes, first, first.addDays(days - 1))) {
        const QDate date = occurrence.date;
        QString line = QStringLiteral("%1年 %2月 %3日").arg(date.year()).arg(date.month()).arg(date.day());
        const ReminderDay day = ReminderDayOfDate(date);
        if (day.lunarDay != 0)
            line += QStringLiteral(" (农历 %1月 %2号)").arg(day.lunarMonth).arg(day.lunarDay);
        lines << line + u' ' + SchemeTitle(occurrence.scheme->scheme);
    }
    return lines;
}

} // namespace jotrak
