#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/lunar_tables.h"

#include <QTest>
#include <QTimeZone>

#include <climits>

using namespace jotrak;

namespace {

QDate ToQDate(const CRiLi& date)
{
    return QDate(date.year(), date.month(), date.day());
}

LunarDate LunarOf(const QDate& date)
{
    return CRiLi(date.year(), date.month(), date.day()).GetLunarDate();
}

// Also for days the object cannot hold (after 2050).
LunarDate LunarOfDay(const QDate& date)
{
    return CRiLi::LunarDateFromDayNumber(CRiLi::DayNumber(date.year(), date.month(), date.day()));
}

} // namespace

namespace jotrak {
char* toString(const LunarDate& date)
{
    return QTest::toString(QStringLiteral("lunar %1-%2-%3").arg(date.year).arg(date.month).arg(date.day));
}
} // namespace jotrak

class TestCRiLi : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::Reset(); }

    // Construction

    void validDatesAreKept_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::newRow("last day of the tables") << QDate(2050, 12, 31);
        QTest::newRow("leap day") << QDate(2016, 2, 29);
        QTest::newRow("first day") << QDate(1901, 1, 1);
    }
    void validDatesAreKept()
    {
        QFETCH(QDate, date);
        Clock::SetForTest(QDateTime(QDate(2018, 1, 21), QTime(12, 0)));
        QCOMPARE(ToQDate(CRiLi(date.year(), date.month(), date.day())), date);
    }

    void invalidDatesTakeTodaysLocalDate_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("before 1901") << 1900 << 12 << 31;
        QTest::newRow("after 2050") << 2051 << 1 << 1;
        QTest::newRow("29 February in a common year") << 2018 << 2 << 29;
        QTest::newRow("month 0") << 2018 << 0 << 5;
        QTest::newRow("month 13") << 2018 << 13 << 5;
        QTest::newRow("31 April") << 2018 << 4 << 31;
        QTest::newRow("day 0") << 2018 << 4 << 0;
        QTest::newRow("negative year") << -5 << 1 << 1;
    }
    void invalidDatesTakeTodaysLocalDate()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        // 01:00 in Beijing is still the previous day in UTC.
        Clock::SetForTest(QDateTime(QDate(2018, 1, 21), QTime(1, 0), QTimeZone(8 * 3600)));
        QCOMPARE(ToQDate(CRiLi(year, month, day)), QDate(2018, 1, 21));
    }

    void defaultIsTheLocalDate_data()
    {
        QTest::addColumn<QDateTime>("localNow");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("01:00 at UTC+8") << QDateTime(QDate(2018, 1, 21), QTime(1, 0), QTimeZone(8 * 3600))
                                        << QDate(2018, 1, 21);
        QTest::newRow("07:59 at UTC+8") << QDateTime(QDate(2018, 3, 1), QTime(7, 59), QTimeZone(8 * 3600))
                                        << QDate(2018, 3, 1);
        QTest::newRow("23:30 at UTC-5") << QDateTime(QDate(2018, 12, 31), QTime(23, 30), QTimeZone(-5 * 3600))
                                        << QDate(2018, 12, 31);
    }
    void defaultIsTheLocalDate()
    {
        QFETCH(QDateTime, localNow);
        QFETCH(QDate, expected);
        Clock::SetForTest(localNow);
        QVERIFY(Clock::UtcNow().date() != expected);
        QCOMPARE(ToQDate(CRiLi()), expected);
    }

    // Gregorian calculations

    void isLeapYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("leap");
        QTest::newRow("1900") << 1900 << false;
        QTest::newRow("2000") << 2000 << true;
        QTest::newRow("2016") << 2016 << true;
        QTest::newRow("2018") << 2018 << false;
    }
    void isLeapYear()
    {
        QFETCH(int, year);
        QFETCH(bool, leap);
        QCOMPARE(CRiLi::IsLeapYear(year), leap);
    }

    void daysInMonth_data()
    {
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("days");
        QTest::newRow("February 1900") << 2 << 1900 << 28;
        QTest::newRow("February 2000") << 2 << 2000 << 29;
        QTest::newRow("month 13") << 13 << 2018 << 0;
        QTest::newRow("month 0") << 0 << 2018 << 0;
        QTest::newRow("April") << 4 << 2018 << 30;
        QTest::newRow("December") << 12 << 2018 << 31;
    }
    void daysInMonth()
    {
        QFETCH(int, month);
        QFETCH(int, year);
        QFETCH(int, days);
        QCOMPARE(CRiLi::DaysInMonth(month, year), days);
    }

    void dayNumber_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<qint64>("number");
        QTest::newRow("1 January 1901") << QDate(1901, 1, 1) << qint64{0};
        QTest::newRow("19 February 1901") << QDate(1901, 2, 19) << qint64{49};
        QTest::newRow("21 January 2018") << QDate(2018, 1, 21) << qint64{42754};
        QTest::newRow("31 December 2050") << QDate(2050, 12, 31) << qint64{54786};
    }
    void dayNumber()
    {
        QFETCH(QDate, date);
        QFETCH(qint64, number);
        QCOMPARE(CRiLi::DayNumber(date.year(), date.month(), date.day()), number);
    }

    void weekDay_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("weekDay");
        QTest::newRow("1 January 2018, Monday") << QDate(2018, 1, 1) << 1;
        QTest::newRow("21 January 2018, Sunday") << QDate(2018, 1, 21) << 0;
        QTest::newRow("16 February 2018, Friday") << QDate(2018, 2, 16) << 5;
    }
    void weekDay()
    {
        QFETCH(QDate, date);
        QFETCH(int, weekDay);
        QCOMPARE(CRiLi(date.year(), date.month(), date.day()).WeekDay(), weekDay);
    }

    void dayNumberAndWeekDayAgreeWithQDateOnEveryDay()
    {
        const QDate first(1901, 1, 1);
        for (QDate date = first; date <= QDate(2050, 12, 31); date = date.addDays(1)) {
            const CRiLi day(date.year(), date.month(), date.day());
            QCOMPARE(CRiLi::DayNumber(date.year(), date.month(), date.day()), first.daysTo(date));
            QCOMPARE(day.WeekDay(), date.dayOfWeek() % 7);
        }
    }

    // Lunar calendar

    void lunarDate_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("1 January 1901") << QDate(1901, 1, 1) << 1900 << 11 << 11;
        QTest::newRow("19 January 1901") << QDate(1901, 1, 19) << 1900 << 11 << 29;
        QTest::newRow("20 January 1901") << QDate(1901, 1, 20) << 1900 << 12 << 1;
        QTest::newRow("18 February 1901") << QDate(1901, 2, 18) << 1900 << 12 << 30;
        QTest::newRow("19 February 1901") << QDate(1901, 2, 19) << 1901 << 1 << 1;
        QTest::newRow("21 January 2018") << QDate(2018, 1, 21) << 2017 << 12 << 5;
        QTest::newRow("16 February 2018") << QDate(2018, 2, 16) << 2018 << 1 << 1;
        QTest::newRow("21 June 2020") << QDate(2020, 6, 21) << 2020 << 5 << 1;
        QTest::newRow("31 December 2050") << QDate(2050, 12, 31) << 2050 << 11 << 18;
        // A leap month carries the number of the month it repeats.
        QTest::newRow("23 April 2020") << QDate(2020, 4, 23) << 2020 << 4 << 1;
        QTest::newRow("22 May 2020") << QDate(2020, 5, 22) << 2020 << 4 << 30;
        QTest::newRow("23 May 2020, leap month") << QDate(2020, 5, 23) << 2020 << 4 << 1;
        // Month boundaries of the corrected table words.
        QTest::newRow("28 April 2025") << QDate(2025, 4, 28) << 2025 << 4 << 1;
        QTest::newRow("27 April 2025") << QDate(2025, 4, 27) << 2025 << 3 << 30;
        QTest::newRow("8 June 2013") << QDate(2013, 6, 8) << 2013 << 5 << 1;
        QTest::newRow("3 February 1916") << QDate(1916, 2, 3) << 1916 << 1 << 1;
        QTest::newRow("1 August 1989") << QDate(1989, 8, 1) << 1989 << 6 << 30;
    }
    void lunarDate()
    {
        QFETCH(QDate, date);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QCOMPARE(LunarOf(date), (LunarDate{year, month, day}));
    }

    void lunarNewYear_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::newRow("1901") << QDate(1901, 2, 19);
        QTest::newRow("1916") << QDate(1916, 2, 3);
        QTest::newRow("1949") << QDate(1949, 1, 29);
        QTest::newRow("2000") << QDate(2000, 2, 5);
        QTest::newRow("2018") << QDate(2018, 2, 16);
        QTest::newRow("2020, leap fourth month") << QDate(2020, 1, 25);
        QTest::newRow("2024") << QDate(2024, 2, 10);
        QTest::newRow("2033, leap eleventh month") << QDate(2033, 1, 31);
        QTest::newRow("2050") << QDate(2050, 1, 23);
    }
    void lunarNewYear()
    {
        QFETCH(QDate, date);
        QCOMPARE(LunarOf(date), (LunarDate{date.year(), 1, 1}));
        QCOMPARE(LunarOf(date.addDays(-1)).year, date.year() - 1);
    }

    void lunarMonthDays_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<quint32>("days");
        QTest::newRow("1903/5 and its leap month") << 1903 << 5 << (29U | 29U << 16);
        QTest::newRow("1903/6 after the leap month") << 1903 << 6 << 30U;
        QTest::newRow("2020/4 and its leap month") << 2020 << 4 << (30U | 29U << 16);
        QTest::newRow("2025/3, corrected") << 2025 << 3 << 30U;
        QTest::newRow("before the tables") << 1900 << 1 << 30U;
        QTest::newRow("after the tables") << 2051 << 1 << 0U;
        QTest::newRow("month 0") << 2020 << 0 << 0U;
        QTest::newRow("month 13") << 2020 << 13 << 0U;
    }
    void lunarMonthDays()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(quint32, days);
        QCOMPARE(CRiLi::LunarMonthDays(year, month), days);
    }

    void lunarYearDays_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("days");
        QTest::newRow("1901") << 1901 << 354;
        QTest::newRow("2020, thirteen months") << 2020 << 384;
        QTest::newRow("before the tables") << 1900 << 360;
        QTest::newRow("after the tables") << 2051 << 0;
    }
    void lunarYearDays()
    {
        QFETCH(int, year);
        QFETCH(int, days);
        QCOMPARE(CRiLi::LunarYearDays(year), days);
    }

    void yearLengthsMatchTheirLeapMonths()
    {
        int leapYears = 0;
        for (int year = lunar::kFirstYear; year <= lunar::kLastYear; ++year) {
            const int days = CRiLi::LunarYearDays(year);
            bool hasLeapMonth = false;
            for (int month = 1; month <= 12; ++month)
                hasLeapMonth = hasLeapMonth || (CRiLi::LunarMonthDays(year, month) >> 16) != 0;
            leapYears += hasLeapMonth ? 1 : 0;
            if (hasLeapMonth)
                QVERIFY2(days >= 383 && days <= 385, qPrintable(QString::number(year)));
            else
                QVERIFY2(days >= 353 && days <= 355, qPrintable(QString::number(year)));
        }
        QCOMPARE(leapYears, 55);
    }

    // Walks every day the tables cover: each day is the next day of the same
    // month, or day 1 after a month of 29 or 30 days.
    void everyDayFollowsTheDayBefore()
    {
        LunarDate previous = LunarOf(QDate(1901, 1, 1));
        int monthsInYear = 0;
        int repeatedMonth = 0;
        for (QDate date(1901, 1, 2); date <= QDate(2051, 2, 10); date = date.addDays(1)) {
            const LunarDate current = LunarOfDay(date);
            const QByteArray where = date.toString(Qt::ISODate).toLatin1();
            QVERIFY2(current.isKnown(), where);
            if (current.day != 1) {
                QVERIFY2(current.year == previous.year && current.month == previous.month, where);
                QVERIFY2(current.day == previous.day + 1, where);
            } else {
                QVERIFY2(previous.day == 29 || previous.day == 30, where);
                if (current.year != previous.year) {
                    QVERIFY2(current.year == previous.year + 1 && current.month == 1 && previous.month == 12, where);
                    if (previous.year >= lunar::kFirstYear)
                        QVERIFY2(monthsInYear == (repeatedMonth != 0 ? 13 : 12), where);
                    monthsInYear = 0;
                    repeatedMonth = 0;
                } else if (current.month == previous.month) {
                    QVERIFY2(repeatedMonth == 0, where);
                    repeatedMonth = current.month;
                    QVERIFY2((CRiLi::LunarMonthDays(current.year, current.month) >> 16) != 0, where);
                } else {
                    QVERIFY2(current.month == previous.month + 1, where);
                }
                ++monthsInYear;
            }
            previous = current;
        }
        QCOMPARE(previous, (LunarDate{2050, 12, previous.day}));
        QVERIFY(previous.day == 29 || previous.day == 30);
        QCOMPARE(monthsInYear, 13); // 2050 repeats its third month
        QCOMPARE(repeatedMonth, 3);
    }

    // Outside the tables

    void daysOutsideTheTablesHaveNoLunarDate_data()
    {
        QTest::addColumn<qint64>("dayNumber");
        QTest::newRow("31 December 1900") << qint64{-1};
        QTest::newRow("11 February 2051") << CRiLi::DayNumber(2051, 2, 11);
        QTest::newRow("1 January 2100") << CRiLi::DayNumber(2100, 1, 1);
        QTest::newRow("far future") << CRiLi::DayNumber(INT_MAX, 12, 31);
        QTest::newRow("far past") << CRiLi::DayNumber(INT_MIN, 1, 1);
    }
    void daysOutsideTheTablesHaveNoLunarDate()
    {
        QFETCH(qint64, dayNumber);
        const LunarDate date = CRiLi::LunarDateFromDayNumber(dayNumber);
        QVERIFY(!date.isKnown());
        QCOMPARE(date, LunarDate{});
    }

    void todayOutsideTheTablesHasNoLunarDate()
    {
        Clock::SetForTest(QDateTime(QDate(2060, 3, 1), QTime(9, 0)));
        const CRiLi today;
        QCOMPARE(ToQDate(today), QDate(2060, 3, 1));
        QVERIFY(!today.GetLunarDate().isKnown());
        QCOMPARE(today.WeekDay(), 1);
    }

    // Year names

    void formatYearName_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<QString>("name");
        QTest::newRow("2017") << 2017 << QStringLiteral("丁酉 鸡年");
        QTest::newRow("2018") << 2018 << QStringLiteral("戊戌 狗年");
        QTest::newRow("2023, the rabbit") << 2023 << QStringLiteral("癸卯 兔年");
        QTest::newRow("1901") << 1901 << QStringLiteral("辛丑 牛年");
        QTest::newRow("2050") << 2050 << QStringLiteral("庚午 马年");
        QTest::newRow("2024") << 2024 << QStringLiteral("甲辰 龙年");
        QTest::newRow("year 3, before the first cycle") << 3 << QStringLiteral("癸亥 猪年");
    }
    void formatYearName()
    {
        QFETCH(int, year);
        QFETCH(QString, name);
        QCOMPARE(CRiLi::FormatYearName(year), name);
    }
};

QTEST_APPLESS_MAIN(TestCRiLi)
#include "tst_cri_li.moc"
