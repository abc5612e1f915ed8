#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "data/data_test_util.h"
#include "reminders/reminder_rules.h"
#include "reminders/reminder_text.h"
#include "reminders/scheme_rows.h"

#include <QDate>
#include <QTest>
#include <QTimeZone>

using namespace jotrak;
using namespace jotrak::testutil;

namespace {

const QString kNone = QString::fromUtf16(kNoReminders);

// The reminder text expected for the given contents, in this order.
QString Lines(const QStringList& contents)
{
    QString text;
    for (const QString& content : contents)
        text += QString::fromUtf16(kReminderPrefix) + content + QStringLiteral("\r\n");
    return text.isEmpty() ? kNone : text;
}

// Local 02:00 on 21 January 2018 at UTC+8: the UTC date is still the 20th.
// Lunar: 21 January 2018 is 12/05, 20 January is 12/04.
const QDateTime kEarlyMorningBeijing(QDate(2018, 1, 21), QTime(2, 0), QTimeZone(8 * 3600));

} // namespace

class TestReminderMatching : public QObject {
    Q_OBJECT

private slots:
    void init() { Clock::SetForTest(kEarlyMorningBeijing); }
    void cleanup() { Clock::Reset(); }

    void splitDayKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("day");
        QTest::newRow("full key") << "20180221" << 2018 << 2 << 21;
        QTest::newRow("year only") << "2018" << 2018 << 0 << 0;
        QTest::newRow("year and month") << "201803" << 2018 << 3 << 0;
        QTest::newRow("empty") << "" << 0 << 0 << 0;
        QTest::newRow("day runs to the end") << "201802211" << 2018 << 2 << 211;
        QTest::newRow("day stops at a non-digit") << QString::fromUtf8("2018022号1") << 2018 << 2 << 2;
        QTest::newRow("letters") << "abcdefgh" << 0 << 0 << 0;
        QTest::newRow("signs") << "-201-1-5" << -201 << -1 << -5;
        QTest::newRow("long digits saturate") << "20180299999999999999" << 2018 << 2 << 2147483647;
    }
    void splitDayKey()
    {
        QFETCH(QString, key);
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, day);
        QCOMPARE(SplitDayKey(key), (DayNumbers{year, month, day}));
    }

    // Schemes are "G<shijian>=content" (Gregorian) or "L<shijian>=content" (lunar).
    void composeDayReminders_data()
    {
        QTest::addColumn<QStringList>("schemes");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("fired");

        QTest::newRow("Gregorian yearly 0221") << QStringList{"G0221=A"} << "20180221" << QStringList{"A"};
        QTest::newRow("Gregorian yearly 0221, other day") << QStringList{"G0221=A"} << "20180222" << QStringList{};

        const QStringList monthly31{"G31=M"};
        QTest::newRow("monthly 31 in January") << monthly31 << "20180131" << QStringList{"M"};
        QTest::newRow("monthly 31 in March") << monthly31 << "20180331" << QStringList{"M"};
        QTest::newRow("monthly 31, last of April") << monthly31 << "20180430" << QStringList{};
        QTest::newRow("monthly 31, last of February") << monthly31 << "20180228" << QStringList{};

        const QStringList leapDay{"G0229=L"};
        QTest::newRow("0229 in 2020") << leapDay << "20200229" << QStringList{"L"};
        QTest::newRow("0229, 2018 Feb 28") << leapDay << "20180228" << QStringList{};
        QTest::newRow("0229, 2018 Mar 1") << leapDay << "20180301" << QStringList{};

        const QStringList lunar30{"L30=T"};
        QTest::newRow("lunar 30 in 30-day fourth month") << lunar30 << "20200522" << QStringList{"T"};
        QTest::newRow("lunar 30, last of 29-day leap fourth") << lunar30 << "20200620" << QStringList{};
        QTest::newRow("lunar 30, next day is 5/1") << lunar30 << "20200621" << QStringList{};

        const QStringList both1205{"L1205=lunar", "G1205=gregorian"};
        QTest::newRow("20180121 is lunar 12/05") << both1205 << "20180121" << QStringList{"lunar"};
        QTest::newRow("20181205 is Gregorian 12/05") << both1205 << "20181205" << QStringList{"gregorian"};

        const QStringList lunar0401{"L0401=N"};
        QTest::newRow("lunar 0401, fourth month") << lunar0401 << "20200423" << QStringList{"N"};
        QTest::newRow("lunar 0401, leap fourth month") << lunar0401 << "20200523" << QStringList{"N"};

        // An impossible date: Gregorian schemes use the numbers as parsed, lunar
        // schemes today's local date (21 January 2018, lunar 12/05).
        QTest::newRow("20180230") << QStringList{"G30=day30", "G0230=feb30", "G0302=mar2", "L1205=today",
                                                 "L1204=utcToday"}
                                  << "20180230" << QStringList{"day30", "feb30", "today"};
        QTest::newRow("year only") << QStringList{"G01=a", "G0101=b", "G00=zero", "G=empty", "L1205=today"} << "2018"
                                   << QStringList{"today"};
        QTest::newRow("18990101") << QStringList{"G0101=jan1", "G01=first", "G0102=jan2", "L1205=today"} << "18990101"
                                  << QStringList{"jan1", "first", "today"};
        QTest::newRow("month 13") << QStringList{"G1301=m13", "G01=first", "L1205=today"} << "20181301"
                                  << QStringList{"m13", "first", "today"};

        QTest::newRow("two matches in IDME order")
            << QStringList{"G15=second-written-first", "G0315=yearly", "G16=other"} << "20180315"
            << QStringList{"second-written-first", "yearly"};
        const QStringList fifths{"G05=g", "L05=l"};
        QTest::newRow("05 in both calendars: 5 August 2019 is lunar 7/05")
            << fifths << "20190805" << QStringList{"g", "l"};
        QTest::newRow("05 in both calendars: lunar 12/05 only") << fifths << "20180121" << QStringList{"l"};
        QTest::newRow("05 in both calendars: Gregorian 5th only") << fifths << "20180105" << QStringList{"g"};
        QTest::newRow("empty table") << QStringList{} << "20180221" << QStringList{};
        QTest::newRow("empty content shows the prefix alone")
            << QStringList{"G0221="} << "20180221" << QStringList{QString()};
        QTest::newRow("digits then text in the rule")
            << QStringList{QString::fromUtf8("G21号=x")} << "20180221" << QStringList{"x"};
    }
    void composeDayReminders()
    {
        QFETCH(QStringList, schemes);
        QFETCH(QString, key);
        QFETCH(QStringList, fired);
        TempDatabase db;
        AddSchemeRows(db.connection, schemes);
        QCOMPARE(ComposeDayReminders(db.connection, key), Lines(fired));
    }

    void monthly31FiresOnlyInMonthsOf31Days()
    {
        TempDatabase db;
        AddSchemeRows(db.connection, {"G31=M"});
        QStringList firing;
        for (QDate d(2018, 1, 1); d.year() == 2018; d = d.addDays(1))
            if (ComposeDayReminders(db.connection, d.toString(QStringLiteral("yyyyMMdd"))) != kNone)
                firing << d.toString(QStringLiteral("MMdd"));
        QCOMPARE(firing, (QStringList{"0131", "0331", "0531", "0731", "0831", "1031", "1231"}));
    }

    void leapDayFiresOnlyInLeapYears()
    {
        TempDatabase db;
        AddSchemeRows(db.connection, {"G0229=L"});
        QStringList firing;
        for (QDate d(2018, 1, 1); d.year() <= 2021; d = d.addDays(1))
            if (ComposeDayReminders(db.connection, d.toString(QStringLiteral("yyyyMMdd"))) != kNone)
                firing << d.toString(QStringLiteral("yyyyMMdd"));
        QCOMPARE(firing, QStringList{"20200229"});
    }

    void lunar30FiresOnlyInLunarMonthsOf30Days()
    {
        TempDatabase db;
        AddSchemeRows(db.connection, {"L30=T"});
        int firings = 0;
        for (QDate d(2020, 1, 25); d < QDate(2021, 2, 12); d = d.addDays(1)) { // lunar 2020
            const LunarDate lunar = CRiLi(d.year(), d.month(), d.day()).GetLunarDate();
            const bool fires = ComposeDayReminders(db.connection, d.toString(QStringLiteral("yyyyMMdd"))) != kNone;
            QCOMPARE(fires, lunar.day == 30);
            firings += fires ? 1 : 0;
        }
        int monthsOf30 = 0;
        for (int month = 1; month <= 12; ++month) {
            const quint32 days = CRiLi::LunarMonthDays(2020, month);
            monthsOf30 += ((days & 0xFFFF) == 30 ? 1 : 0) + ((days >> 16) == 30 ? 1 : 0);
        }
        QCOMPARE(firings, monthsOf30);
    }

    void unusableKeyUsesTodaysLocalDateNotUtc()
    {
        TempDatabase db;
        AddSchemeRows(db.connection, {"L1205=local", "L1204=utc"});
        for (const QString& key :
             {QStringLiteral("20180230"), QStringLiteral("2018"), QStringLiteral("x"), QStringLiteral("20510101")})
            QCOMPARE(ComposeDayReminders(db.connection, key), Lines({"local"}));
    }

    void ruleWithoutDayNeverFires()
    {
        TempDatabase db;
        AddSchemeRow(db.connection, Value::Null(), 0, QStringLiteral("null"));
        AddSchemeRow(db.connection, QString(), 0, QStringLiteral("empty"));
        AddSchemeRow(db.connection, QStringLiteral("abc"), 0, QStringLiteral("letters"));
        AddSchemeRow(db.connection, Value::Null(), 1, QStringLiteral("null lunar"));
        // A key without a day reads as month 0, day 0.
        QCOMPARE(ComposeDayReminders(db.connection, QStringLiteral("2018")), kNone);
        QCOMPARE(ComposeDayReminders(db.connection, QStringLiteral("20180100")), kNone);
    }

    void nullContentAndAnyNonzeroLifa()
    {
        TempDatabase db;
        AddSchemeRow(db.connection, QStringLiteral("1205"), 7, QStringLiteral("lunar as 7"));
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectSchemes(), db.connection);
        AddNewRow(rs);
        SetFieldValue(rs, QStringLiteral("shijian"), QStringLiteral("0121"));
        StoreRow(rs); // nr and ming stay Null, lifa takes its default 0
        CloseRecordset(rs);
        QCOMPARE(ComposeDayReminders(db.connection, QStringLiteral("20180121")), Lines({"lunar as 7", QString()}));
    }

    void everyMatchIsShownWhateverItsLength()
    {
        TempDatabase db;
        const QString content = QString(3000, QChar(u'提'));
        QStringList expected;
        for (int i = 0; i < 20; ++i) {
            AddSchemeRow(db.connection, QStringLiteral("21"), 0, content + QString::number(i));
            expected << content + QString::number(i);
        }
        const QString text = ComposeDayReminders(db.connection, QStringLiteral("20180221"));
        QCOMPARE(text, Lines(expected));
        QVERIFY(text.size() > 60000);
    }
};

QTEST_GUILESS_MAIN(TestReminderMatching)
#include "tst_reminder_matching.moc"
