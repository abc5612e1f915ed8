#include "reminders/reminder_occurrences.h"

#include "calendar/cri_li.h"

namespace jotrak {

ReminderDay ReminderDayOfDate(QDate date)
{
    const LunarDate lunar = CRiLi::LunarDateFromDayNumber(CRiLi::DayNumber(date.year(), date.month(), date.day()));
    return {date.month(), date.day(), lunar.month, lunar.day};
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
