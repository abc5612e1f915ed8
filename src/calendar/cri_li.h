#pragma once

#include <QString>
#include <QtGlobal>

namespace jotrak {

// A date of the Chinese lunar calendar. A date in a leap month carries the
// number of the month it repeats, without a mark. {0, 0, 0} means the tables
// hold no lunar date for the day asked about.
struct LunarDate {
    int year = 0;
    int month = 0;
    int day = 0;

    bool isKnown() const { return year != 0; }
    friend bool operator==(const LunarDate&, const LunarDate&) = default;
};

// The calendar class: one Gregorian date, and the Gregorian and lunar
// calculations around it. An object never changes once constructed.
//
// The lunar tables cover the lunar years 1901..2100 and, before them, the days
// from 1 January to 18 February 1901 (the end of lunar 1900). Outside that span,
// that is before 1 January 1901 or from 29 January 2101 on, the lunar
// operations read nothing and answer:
//   LunarDateFromDayNumber / GetLunarDate: {0, 0, 0} (see LunarDate::isKnown);
//   LunarMonthDays: 30 for every month of a year before 1901, 0 after 2100;
//   LunarYearDays: 360 for a year before 1901, 0 after 2100.
// LunarMonthDays is 0 for a month outside 1..12 in any year.
class CRiLi {
public:
    // Today's local date, read from Clock.
    CRiLi();
    // That date when 1901 <= year <= 2100 and it is a real date; otherwise
    // today's local date, as the default constructor.
    CRiLi(int year, int month, int day);
    virtual ~CRiLi() = default;

    int year() const { return year_; }
    int month() const { return month_; }
    int day() const { return day_; }

    // Divisible by 4 and not by 100, or divisible by 400.
    static bool IsLeapYear(int year);
    // 28..31, or 0 for a month outside 1..12.
    static int DaysInMonth(int month, int year);
    // Days since 1 January 1901 (day 0); 31 December 2050 is day 54786.
    // Months outside 1..12 roll into the neighbouring years and days count on
    // past the month's end, so every input has one number.
    static qint64 DayNumber(int year, int month, int day);
    // Low 16 bits: the length (29 or 30) of the month. High 16 bits: the length
    // of the leap month that follows it when the year repeats this month, else 0.
    static quint32 LunarMonthDays(int lunarYear, int lunarMonth);
    // Both halves of LunarMonthDays added over months 1..12.
    static int LunarYearDays(int lunarYear);
    static LunarDate LunarDateFromDayNumber(qint64 dayNumber);

    LunarDate GetLunarDate() const;
    // 0 = Sunday, 1 = Monday, ..., 6 = Saturday.
    int WeekDay() const;

    // Stem and branch, a space, the animal and 年: "戊戌 狗年" for 2018.
    static QString FormatYearName(int year);

private:
    void TakeToday();

    int year_ = 0;
    int month_ = 0;
    int day_ = 0;
};

} // namespace jotrak
