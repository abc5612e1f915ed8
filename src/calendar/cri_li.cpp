#include "calendar/cri_li.h"

#include "calendar/clock.h"
#include "calendar/lunar_tables.h"

#include <QDate>

#include <algorithm>
#include <array>

namespace jotrak {

namespace {

constexpr std::array<int, 12> kDaysBeforeMonth{0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

// Division and remainder that round towards minus infinity, so years before
// year 1 still count the right way.
constexpr qint64 FloorDiv(qint64 a, qint64 b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

constexpr qint64 FloorMod(qint64 a, qint64 b)
{
    return a - FloorDiv(a, b) * b;
}

constexpr bool IsLeap(qint64 year)
{
    return (FloorMod(year, 4) == 0 && FloorMod(year, 100) != 0) || FloorMod(year, 400) == 0;
}

constexpr qint64 DayNumberOf(qint64 year, qint64 month, qint64 day)
{
    year += FloorDiv(month - 1, 12);
    month = FloorMod(month - 1, 12) + 1;
    const qint64 leapDay = (IsLeap(year) && month > 2) ? 1 : 0;
    return 365 * year + FloorDiv(year - 1, 4) - FloorDiv(year - 1, 100) + FloorDiv(year - 1, 400) - 694325 +
           kDaysBeforeMonth[static_cast<std::size_t>(month - 1)] + leapDay + day - 1;
}

constexpr int LeapMonthOf(int lunarYear)
{
    const int index = lunarYear - lunar::kFirstYear;
    const int packed = lunar::LunarLeapMonth[static_cast<std::size_t>(index / 2)];
    return (lunarYear % 2 != 0) ? (packed >> 4) : (packed & 0x0F);
}

constexpr quint32 MonthDays(int lunarYear, int lunarMonth)
{
    if (lunarMonth < 1 || lunarMonth > 12 || lunarYear > lunar::kLastYear)
        return 0;
    if (lunarYear < lunar::kFirstYear)
        return 30;
    const std::uint32_t mask = lunar::LunarMonthMask[static_cast<std::size_t>(lunarYear - lunar::kFirstYear)];
    const int leap = LeapMonthOf(lunarYear);
    const int bit = (leap != 0 && lunarMonth > leap) ? 15 - lunarMonth : 16 - lunarMonth;
    const quint32 length = ((mask >> bit) & 1U) != 0 ? 30 : 29;
    if (lunarMonth != leap)
        return length;
    const quint32 leapLength = ((mask >> (15 - leap)) & 1U) != 0 ? 30 : 29;
    return length | (leapLength << 16);
}

constexpr int YearDays(int lunarYear)
{
    int total = 0;
    for (int month = 1; month <= 12; ++month) {
        const quint32 days = MonthDays(lunarYear, month);
        total += static_cast<int>((days & 0xFFFF) + (days >> 16));
    }
    return total;
}

// Day 49, 19 February 1901, is the first day of lunar 1901.
constexpr qint64 kFirstLunarNewYear = 49;

// The day number of each lunar new year 1901..2100, and of the first day after
// the tables at the end.
constexpr std::array<qint64, lunar::kYearCount + 1> MakeNewYearDays()
{
    std::array<qint64, lunar::kYearCount + 1> days{};
    days[0] = kFirstLunarNewYear;
    for (int i = 0; i < lunar::kYearCount; ++i)
        days[static_cast<std::size_t>(i + 1)] = days[static_cast<std::size_t>(i)] + YearDays(lunar::kFirstYear + i);
    return days;
}

constexpr auto kNewYearDays = MakeNewYearDays();

static_assert(DayNumberOf(2050, 12, 31) == 54786);
static_assert(kNewYearDays[2051 - lunar::kFirstYear] == DayNumberOf(2051, 2, 11));
static_assert(kNewYearDays.back() == DayNumberOf(2101, 1, 29), "the lunar years must end on 28 January 2101");

} // namespace

CRiLi::CRiLi()
{
    TakeToday();
}

CRiLi::CRiLi(int year, int month, int day)
{
    const bool valid = year >= lunar::kFirstYear && year <= lunar::kLastYear && month >= 1 && month <= 12 && day >= 1 &&
                       day <= DaysInMonth(month, year);
    if (!valid) {
        TakeToday();
        return;
    }
    year_ = year;
    month_ = month;
    day_ = day;
}

void CRiLi::TakeToday()
{
    const QDate today = Clock::LocalNow().date();
    year_ = today.year();
    month_ = today.month();
    day_ = today.day();
}

bool CRiLi::IsLeapYear(int year)
{
    return IsLeap(year);
}

int CRiLi::DaysInMonth(int month, int year)
{
    switch (month) {
    case 2: return IsLeap(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11: return 30;
    case 1:
    case 3:
    case 5:
    case 7:
    case 8:
    case 10:
    case 12: return 31;
    default: return 0;
    }
}

qint64 CRiLi::DayNumber(int year, int month, int day)
{
    return DayNumberOf(year, month, day);
}

quint32 CRiLi::LunarMonthDays(int lunarYear, int lunarMonth)
{
    return MonthDays(lunarYear, lunarMonth);
}

int CRiLi::LunarYearDays(int lunarYear)
{
    return YearDays(lunarYear);
}

LunarDate CRiLi::LunarDateFromDayNumber(qint64 dayNumber)
{
    if (dayNumber < 0 || dayNumber >= kNewYearDays.back())
        return {};
    if (dayNumber < kFirstLunarNewYear) {
        // The last two months of lunar 1900: the twelfth began on 20 January 1901.
        if (dayNumber >= 19)
            return {1900, 12, static_cast<int>(dayNumber - 18)};
        return {1900, 11, static_cast<int>(dayNumber + 11)};
    }

    const auto next = std::upper_bound(kNewYearDays.begin(), kNewYearDays.end(), dayNumber);
    const auto yearIndex = static_cast<int>(next - kNewYearDays.begin()) - 1;
    const int year = lunar::kFirstYear + yearIndex;
    qint64 n = dayNumber - kNewYearDays[static_cast<std::size_t>(yearIndex)];

    for (int month = 1; month <= 12; ++month) {
        const quint32 days = MonthDays(year, month);
        const qint64 length = days & 0xFFFF;
        if (n < length)
            return {year, month, static_cast<int>(n + 1)};
        n -= length;
        const qint64 leapLength = days >> 16;
        if (n < leapLength)
            return {year, month, static_cast<int>(n + 1)};
        n -= leapLength;
    }
    return {}; // unreachable: the new-year table bounds n by the year's length
}

LunarDate CRiLi::GetLunarDate() const
{
    return LunarDateFromDayNumber(DayNumber(year_, month_, day_));
}

int CRiLi::WeekDay() const
{
    // 1 January 1901 was a Tuesday.
    return static_cast<int>(FloorMod(DayNumber(year_, month_, day_) + 2, 7));
}

QString CRiLi::FormatYearName(int year)
{
    const auto stem = static_cast<qsizetype>(FloorMod(qint64{year} - 4, 10));
    const auto branch = static_cast<qsizetype>(FloorMod(qint64{year} - 4, 12));
    QString name;
    name += QChar(lunar::HeavenlyStems[stem]);
    name += QChar(lunar::EarthlyBranches[branch]);
    name += QLatin1Char(' ');
    name += QChar(lunar::ZodiacAnimals[branch]);
    name += QChar(u'年');
    return name;
}

} // namespace jotrak
