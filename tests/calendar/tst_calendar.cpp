#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/today_line.h"

#include <QFile>
#include <QTest>
#include <QTimeZone>

using namespace jotrak;

namespace {

LunarDate LunarOf(const QDate& date)
{
    return CRiLi::LunarDateFromDayNumber(CRiLi::DayNumber(date.year(), date.month(), date.day()));
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

    // Every day 1901..2100 follows the last, and every lunar month begins where the list computed from the new
    // moons (data/lunar_months.csv, see make_lunar_months.py) says, a month repeated in place being the leap one:
    // the month starts mended against almanacs (1914..1920, 1989, 2013, 2025), the new moons seconds before
    // midnight UTC+8 (2057-09-28, 2097-08-07), no lunar date before 1901 or after 28 January 2101.
    void everyMonthBeginsOnItsListedDay()
    {
        QFile file(QFINDTESTDATA("data/lunar_months.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList listed;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty() && !line.startsWith('#'))
                listed << QString::fromLatin1(line);
        QCOMPARE(listed.size(), 2476);

        const QDate first(1901, 1, 1), last(2101, 1, 28);
        QStringList found;
        LunarDate previous = LunarOf(first.addDays(-1));
        QVERIFY(!previous.isKnown());
        for (QDate date = first; date <= last; date = date.addDays(1)) {
            const QByteArray where = date.toString(Qt::ISODate).toLatin1();
            QCOMPARE(CRiLi::DayNumber(date.year(), date.month(), date.day()), first.daysTo(date));
            if (date.year() <= 2100)
                QCOMPARE(CRiLi(date.year(), date.month(), date.day()).WeekDay(), date.dayOfWeek() % 7);
            const LunarDate current = LunarOf(date);
            QVERIFY2(current.isKnown(), where);
            if (current.day == 1 || !previous.isKnown()) {
                const bool leap = current.month == previous.month && current.year == previous.year;
                found << QStringLiteral("%1,%2,%3,%4")
                             .arg(current.year)
                             .arg(current.month)
                             .arg(int(leap))
                             .arg(date.addDays(1 - current.day).toString(Qt::ISODate));
            } else {
                QVERIFY2(current.year == previous.year && current.month == previous.month, where);
                QVERIFY2(current.day == previous.day + 1, where);
            }
            previous = current;
        }
        QVERIFY(!LunarOf(last.addDays(1)).isKnown());
        found << QStringLiteral("2101,1,0,") + last.addDays(1).toString(Qt::ISODate);
        for (qsizetype i = 0; i < listed.size(); ++i)
            QCOMPARE(found.value(i), listed[i]);
        QCOMPARE(found.size(), listed.size());
    }

    // The leap months of 2051..2100, and none elsewhere in those years.
    void leapMonthsOfTheNewYears()
    {
        const std::pair<int, int> leaps[] = {
            {2052, 8}, {2055, 6}, {2058, 4}, {2061, 3}, {2063, 7}, {2066, 5}, {2069, 4}, {2071, 8}, {2074, 6},
            {2077, 4}, {2080, 3}, {2082, 7}, {2085, 5}, {2088, 4}, {2090, 8}, {2093, 6}, {2096, 4}, {2099, 2},
        };
        QString expected, found;
        for (const auto& [year, month] : leaps)
            expected += QStringLiteral("%1-%2 ").arg(year).arg(month);
        for (int year = 2051; year <= 2100; ++year)
            for (int month = 1; month <= 12; ++month)
                if ((CRiLi::LunarMonthDays(year, month) >> 16) != 0)
                    found += QStringLiteral("%1-%2 ").arg(year).arg(month);
        QCOMPARE(found, expected);
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
            {"2100", At(2100, 1, 1, 0), "2100年 1月 1日, 星期五, 农历 2099年 11月 21号, 庚申 猴年"},
            {"last day", At(2100, 12, 31, 23), "2100年 12月 31日, 星期五, 农历 2100年 12月 1号, 庚申 猴年"},
            {"outside the tables", At(2101, 3, 1, 9), "2101年 3月 1日, 星期二, 农历 无数据, 辛酉 鸡年"},
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
