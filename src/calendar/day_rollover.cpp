#include "calendar/day_rollover.h"

namespace jotrak {

void DayRollover::Fill(PeriodKind kind, const QString& key, const QString& goal)
{
    at(kind) = {key, goal};
}

std::optional<QString> DayRollover::NextKey(PeriodKind kind, QDate today, const QString& keyNow,
                                            const QString& goalNow) const
{
    const Filled& filled = at(kind);
    const QString next = KeyOf(kind, today);
    if (keyNow != filled.key || goalNow != filled.goal || keyNow == next)
        return std::nullopt;
    return next;
}

QString DayRollover::KeyOf(PeriodKind kind, QDate date)
{
    switch (kind) {
    case PeriodKind::Year: return QString::number(date.year());
    case PeriodKind::Month: return FormatMonthKey(date.year(), date.month());
    case PeriodKind::Day: break;
    }
    return FormatDayKey(date.year(), date.month(), date.day());
}

} // namespace jotrak
