#pragma once

#include <QString>
#include <QStringView>

namespace jotrak {

// The numbers of a day key yyyymmdd, each read by the leading-digits rule:
// the year from characters 1-4, the month from 5-6, the day from 7 to the end.
// Characters past the end count as absent, so "2018" gives 2018, 0, 0.
struct DayNumbers {
    int year = 0;
    int month = 0;
    int day = 0;
    friend bool operator==(const DayNumbers&, const DayNumbers&) = default;
};

DayNumbers SplitDayKey(QStringView key);

// The month and day a scheme is compared with, in each calendar. Gregorian
// schemes use the numbers of the key as they are, even when they name no real
// date; lunar schemes use the lunar date of the key, or of today's local date
// when the key is no usable date. A lunar day of 0 means no lunar date is known.
struct ReminderDay {
    int month = 0;
    int day = 0;
    int lunarMonth = 0;
    int lunarDay = 0;
};

ReminderDay ReminderDayOf(QStringView dayKey);

// Whether a date rule falls on the given month and day: its number v (leading
// digits, so "0105" is 105 and "05" is 5) fires monthly when v equals the day,
// yearly when v equals month * 100 + day. A rule without a positive number
// (empty, no digits, "00") names no day and never fires.
bool SchemeFires(QStringView shijian, int month, int day);

// The same for one row of Tx: lifa 0 compares with the Gregorian numbers,
// anything else with the lunar ones.
bool SchemeFiresOn(const ReminderDay& day, qint64 lifa, QStringView shijian);

// The messages of a refused date.
inline constexpr char16_t kBadMonthMessage[] = u"请输入正确的月份";
inline constexpr char16_t kBadDayMessage[] = u"请输入正确的日子,大于等于1,小于等于31的数字";
inline constexpr char16_t kBadDaysAheadMessage[] = u"请输入提前提醒的天数,大于等于0,小于等于30的数字";

enum class Repeat { Yearly, Monthly };

// The date rule of a scheme, or the message that refuses its date.
struct ComposedDateRule {
    QString rule;                      // "dd" or "mmdd", two digits each; empty when refused
    const char16_t* refusal = nullptr; // kBadMonthMessage or kBadDayMessage
};

// Composes the date rule from the texts of the date edits, each read by the
// leading-digits rule: every month from the monthly day alone, every year from
// the month and then the day. A month outside 1..12 or a day outside 1..31 is
// refused; the month is looked at first.
ComposedDateRule ComposeDateRule(Repeat repeat, QStringView monthText, QStringView dayText, QStringView monthlyDayText);

} // namespace jotrak
