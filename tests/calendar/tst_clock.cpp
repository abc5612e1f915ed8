#include "calendar/clock.h"

#include <QTest>
#include <QTimeZone>

using namespace jotrak;

class TestClock : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { Clock::Reset(); }

    void setTimeGivesLocalAndUtcCounterpart()
    {
        const QDateTime beijingEarly(QDate(2018, 1, 21), QTime(1, 0), QTimeZone(8 * 3600));
        Clock::SetForTest(beijingEarly);

        QCOMPARE(Clock::LocalNow(), beijingEarly);
        QCOMPARE(Clock::LocalNow().date(), QDate(2018, 1, 21));
        QCOMPARE(Clock::UtcNow().timeSpec(), Qt::UTC);
        QCOMPARE(Clock::UtcNow().date(), QDate(2018, 1, 20));
        QCOMPARE(Clock::UtcNow().time(), QTime(17, 0));
    }

    void resetReturnsToSystemClock()
    {
        Clock::SetForTest(QDateTime(QDate(1999, 9, 9), QTime(9, 9)));
        Clock::Reset();

        QVERIFY(qAbs(Clock::UtcNow().secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QVERIFY(qAbs(Clock::LocalNow().secsTo(QDateTime::currentDateTime())) < 60);
    }
};

QTEST_APPLESS_MAIN(TestClock)
#include "tst_clock.moc"
