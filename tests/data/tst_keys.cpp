#include "data/keys.h"

#include <QTest>

#include <limits>

using namespace jotrak;

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void twoDigitsAndKeys()
    {
        QCOMPARE(TwoDigitText(1), QStringLiteral("01"));
        QCOMPARE(TwoDigitText(9), QStringLiteral("09"));
        QCOMPARE(TwoDigitText(10), QStringLiteral("10"));
        QCOMPARE(FormatMonthKey(2018, 1), QStringLiteral("201801"));
        QCOMPARE(FormatMonthKey(2018, 11), QStringLiteral("201811"));
        QCOMPARE(FormatDayKey(2018, 1, 1), QStringLiteral("20180101"));
        QCOMPARE(FormatDayKey(2018, 11, 12), QStringLiteral("20181112"));
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        QTest::newRow("plain") << "2018" << 2018;
        QTest::newRow("leading zero") << "0105" << 105;
        QTest::newRow("blanks and sign") << " \t+12abc" << 12;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("suffix") << QString::fromUtf8("3号") << 3;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("digits after text") << "x12" << 0;
        QTest::newRow("overflow saturates") << "99999999999999999999" << std::numeric_limits<int>::max();
        QTest::newRow("underflow saturates") << "-99999999999999999999" << std::numeric_limits<int>::min();
        QTest::newRow("full-width digits are not digits") << QString::fromUtf8("１２") << 0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        QCOMPARE(LeadingNumber(text), expected);
    }

    void tableNames()
    {
        QCOMPARE(TableName(ItemTableOf(Table::Nian)), QStringLiteral("NianNext"));
        QCOMPARE(TableName(ItemTableOf(Table::Yue)), QStringLiteral("YueNext"));
        QCOMPARE(TableName(ItemTableOf(Table::Ri)), QStringLiteral("RiNext"));
        QCOMPARE(GoalTableOf(PeriodKind::Month), Table::Yue);
        QVERIFY(!PeriodKindFromInt(4).has_value());
    }
};

QTEST_GUILESS_MAIN(TestKeys)
#include "tst_keys.moc"
