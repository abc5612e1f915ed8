#include "reminders/reminder_occurrences.h"

#include "calendar/cri_li.h"

#include <QRegularExpression>

namespace jotrak {

ReminderDay ReminderDayOfDate(QDate date)
{
    const LunarDate lunar = CRiLi::LunarDateFromDayNumber(CRiLi::DayNumber(date.year(), date.month(), date.day()));
    return {date.month(), date.day(), lunar.month, lunar.day};
}

QString SchemeTitle(const Scheme& scheme)
{
    if (!scheme.name.trimmed().isEmpty())
        return scheme.name;
    return scheme.content.section(QRegularExpression(QStringLiteral("[\r\n]")), 0, 0);
}

std::vector<Occurrence> OccurrencesBetween(const std::vector<StoredScheme>& schemes, QDate first, QDate last)
{
    std::vector<Occurrence> found;
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        const ReminderDay day = ReminderDayOfDate(date);
        for (const StoredScheme& stored : schemes)
            if (SchemeFiresOn(day, stored.scheme.calendar, stored.scheme.dateRule))
                found.push_back({date, &stored});
    }
    return found;
}

} // namespace jotrak
