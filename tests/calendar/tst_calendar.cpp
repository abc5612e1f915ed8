#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/lunar_tables.h"
#include "calendar/today_line.h"

#include <QTest>
#include <QTimeZone>

using namespace jotrak;

namespace {

LunarDate LunarOf(const QDate& date)
{
    return CRiLi::LunarDateFromDayNumber(CRiLi::DayNumber(date.year(), date.month(), date.day()));
}

QString Text(const LunarDate& date)
{
    return date.isKnown() ? QStringLiteral("%1-%2-%3").arg(date.year).arg(date.month).arg(date.day) : QString();
}

QDateTime At(int y, int m, int d, int h, int utcOffsetHours = 8)
{
    return QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone(utcOffsetHours * 3600));
}

} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::Reset(); }

    // Each day follows the last in its lunar month; 12 or 13 months a year, the leap one marked. Week days as QDate.
    void everyDayFollowsTheDayBefore()
    {
        const QDate first(1901, 1, 1);
        LunarDate previous = LunarOf(first);
        int monthsInYear = 0, repeatedMonth = 0, leapYears = 0;
        for (QDate date = first.addDays(1); date <= QDate(2051, 2, 10); date = date.addDays(1)) {
            const QByteArray where = date.toString(Qt::ISODate).toLatin1();
            if (date.year() <= 2050) {
                QCOMPARE(CRiLi::DayNumber(date.year(), date.month(), date.day()), first.daysTo(date));
                QCOMPARE(CRiLi(date.year(), date.month(), date.day()).WeekDay(), date.dayOfWeek() % 7);
            }
            const LunarDate current = LunarOf(date);
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
                    leapYears += repeatedMonth != 0;
                    monthsInYear = repeatedMonth = 0;
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
        QCOMPARE(Text(previous).left(8), QStringLiteral("2050-12-"));
        QCOMPARE(repeatedMonth, 3);                    // 2050 repeats its third month
        QCOMPARE(leapYears, 54);                       // and is the 55th year with a leap month
        QCOMPARE(CRiLi::LunarMonthDays(2025, 3), 30U); // a mended word
        QCOMPARE(CRiLi::LunarMonthDays(2020, 4), 30U | 29U << 16);
    }

    // A leap month carries the number it repeats; the mended month starts of 1916, 1989, 2013 and 2025.
    void lunarDates_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("lunar"); // empty: outside the tables
        const std::pair<QDate, const char*> rows[] = {
            {{1901, 1, 1}, "1900-11-11"},   {{1901, 2, 18}, "1900-12-30"}, {{1901, 2, 19}, "1901-1-1"},
            {{1916, 2, 3}, "1916-1-1"},     {{1949, 1, 29}, "1949-1-1"},   {{1989, 8, 1}, "1989-6-30"},
            {{2013, 6, 8}, "2013-5-1"},     {{2018, 1, 21}, "2017-12-5"},  {{2018, 2, 16}, "2018-1-1"},
            {{2020, 4, 23}, "2020-4-1"},    {{2020, 5, 22}, "2020-4-30"},  {{2020, 5, 23}, "2020-4-1"},
            {{2025, 4, 27}, "2025-3-30"},   {{2025, 4, 28}, "2025-4-1"},   {{2033, 1, 31}, "2033-1-1"},
            {{2050, 12, 31}, "2050-11-18"}, {{1900, 12, 31}, ""},          {{2051, 2, 11}, ""},
        };
        for (const auto& [date, lunar] : rows)
            QTest::newRow(qPrintable(date.toString(Qt::ISODate))) << date << QString::fromLatin1(lunar);
    }
    void lunarDates()
    {
        QFETCH(QDate, date);
        QFETCH(QString, lunar);
        QCOMPARE(Text(LunarOf(date)), lunar);
    }

    // The local date (not UTC), the week day, the lunar date and the year's name.
    void todayLine_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("line");
        const std::tuple<const char*, QDateTime, const char*> rows[] = {
            {"00:30 in Beijing", At(2018, 1, 21, 0), "2018年 1月 21日, 星期日, 农历 2017年 12月 5号, 戊戌 狗年"},
            {"Wednesday", At(2018, 1, 24, 9), "2018年 1月 24日, 星期三, 农历 2017年 12月 8号, 戊戌 狗年"},
            {"lunar new year", At(2018, 2, 16, 9), "2018年 2月 16日, 星期五, 农历 2018年 1月 1号, 戊戌 狗年"},
            {"late at UTC-5", At(2018, 12, 31, 23, -5), "2018年 12月 31日, 星期一, 农历 2018年 11月 25号, 戊戌 狗年"},
            {"Tuesday", At(2019, 1, 1, 9), "2019年 1月 1日, 星期二, 农历 2018年 11月 26号, 己亥 猪年"},
            {"the month repeated", At(2020, 4, 23, 9), "2020年 4月 23日, 星期四, 农历 2020年 4月 1号, 庚子 鼠年"},
            {"leap month", At(2020, 5, 23, 9), "2020年 5月 23日, 星期六, 农历 2020年 4月 1号, 庚子 鼠年"},
            {"outside the tables", At(2060, 3, 1, 9), "2060年 3月 1日, 星期一, 农历 无数据, 庚辰 龙年"},
        };
        for (const auto& [name, now, line] : rows)
            QTest::newRow(name) << now << QStringLiteral("今日 ") + QString::fromUtf8(line);
    }
    void todayLine()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, line);
        Clock::SetForTest(now);
        QCOMPARE(BuildTodayLine(CRiLi()), line);
    }
};

QTEST_APPLESS_MAIN(TestCalendar)
#include "tst_calendar.moc"
