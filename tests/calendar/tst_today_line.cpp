#include "calendar/clock.h"
#include "calendar/today_line.h"

#include <QTest>
#include <QTimeZone>

using namespace jotrak;

class TestTodayLine : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::Reset(); }

    void line_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("line");
        QTest::newRow("before the lunar new year")
            << QDate(2018, 1, 21) << QStringLiteral("今日 2018年 1月 21日, 星期日, 农历 2017年 12月 5号, 戊戌 狗年");
        QTest::newRow("lunar new year") << QDate(2018, 2, 16)
                                        << QStringLiteral(
                                               "今日 2018年 2月 16日, 星期五, 农历 2018年 1月 1号, 戊戌 狗年");
        QTest::newRow("first day of a leap month")
            << QDate(2020, 5, 23) << QStringLiteral("今日 2020年 5月 23日, 星期六, 农历 2020年 4月 1号, 庚子 鼠年");
        QTest::newRow("the month it repeats")
            << QDate(2020, 4, 23) << QStringLiteral("今日 2020年 4月 23日, 星期四, 农历 2020年 4月 1号, 庚子 鼠年");
        QTest::newRow("year of the rabbit")
            << QDate(2023, 1, 22) << QStringLiteral("今日 2023年 1月 22日, 星期日, 农历 2023年 1月 1号, 癸卯 兔年");
    }
    void line()
    {
        QFETCH(QDate, date);
        QFETCH(QString, line);
        QCOMPARE(BuildTodayLine(CRiLi(date.year(), date.month(), date.day())), line);
    }

    void weekDayTexts()
    {
        const QStringList names{QStringLiteral("星期日,"), QStringLiteral("星期一,"), QStringLiteral("星期二,"),
                                QStringLiteral("星期三,"), QStringLiteral("星期四,"), QStringLiteral("星期五,"),
                                QStringLiteral("星期六,")};
        for (int i = 0; i < 7; ++i) {
            const QString text = BuildTodayLine(CRiLi(2018, 1, 21 + i));
            QVERIFY2(text.contains(QStringLiteral("日, ") + names[i] + QStringLiteral(" 农历")), qPrintable(text));
        }
    }

    // Mended: shortly after midnight in China the line shows the local date,
    // not the UTC date of the day before.
    void showsTheLocalDateAfterMidnight()
    {
        Clock::SetForTest(QDateTime(QDate(2018, 1, 21), QTime(0, 30), QTimeZone(8 * 3600)));
        QCOMPARE(BuildTodayLine(CRiLi()),
                 QStringLiteral("今日 2018年 1月 21日, 星期日, 农历 2017年 12月 5号, 戊戌 狗年"));
    }

    void dateOutsideTheLunarTables()
    {
        Clock::SetForTest(QDateTime(QDate(2060, 3, 1), QTime(9, 0)));
        QCOMPARE(BuildTodayLine(CRiLi()), QStringLiteral("今日 2060年 3月 1日, 星期一, 农历 无数据, 庚辰 龙年"));
    }
};

QTEST_APPLESS_MAIN(TestTodayLine)
#include "tst_today_line.moc"
