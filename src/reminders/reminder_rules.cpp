#include "reminders/reminder_rules.h"

#include "calendar/cri_li.h"
#include "data/keys.h"

namespace jotrak {

namespace {

// The characters from `from` (0-based) on, at most `count` of them (-1: all);
// empty when the key is shorter.
QStringView Slice(QStringView text, qsizetype from, qsizetype count)
{
    if (from >= text.size())
        return {};
    const qsizetype available = text.size() - from;
    return text.sliced(from, count < 0 || count > available ? available : count);
}

} // namespace

DayNumbers SplitDayKey(QStringView key)
{
    return {LeadingNumber(Slice(key, 0, 4)), LeadingNumber(Slice(key, 4, 2)), LeadingNumber(Slice(key, 6, -1))};
}

ReminderDay ReminderDayOf(QStringView dayKey)
{
    const DayNumbers numbers = SplitDayKey(dayKey);
    const LunarDate lunar = CRiLi(numbers.year, numbers.month, numbers.day).GetLunarDate();
    return {numbers.month, numbers.day, lunar.month, lunar.day};
}

bool SchemeFires(QStringView shijian, int month, int day)
{
    const qint64 v = LeadingNumber(shijian);
    if (v < 1)
        return false;
    return v == day || v == qint64{month} * 100 + day;
}

bool SchemeFiresOn(const ReminderDay& day, qint64 lifa, QStringView shijian)
{
    if (lifa == 0)
        return SchemeFires(shijian, day.month, day.day);
    return SchemeFires(shijian, day.lunarMonth, day.lunarDay);
}

ComposedDateRule ComposeDateRule(Repeat repeat, QStringView monthText, QStringView dayText, QStringView monthlyDayText)
{
    const auto inRange = [](int n, int last) { return n >= 1 && n <= last; };
    if (repeat == Repeat::Monthly) {
        const int d = LeadingNumber(monthlyDayText);
        if (!inRange(d, 31))
            return {{}, kBadDayMessage};
        return {TwoDigitText(d)};
    }
    const int m = LeadingNumber(monthText);
    if (!inRange(m, 12))
        return {{}, kBadMonthMessage};
    const int d = LeadingNumber(dayText);
    if (!inRange(d, 31))
        return {{}, kBadDayMessage};
    return {TwoDigitText(m) + TwoDigitText(d)};
}

} // namespace jotrak
