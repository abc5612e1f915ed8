#include "data_test_util.h"

#include "data/seed.h"

#include <sqlite3.h>

#include <QTest>

#include <algorithm>

using namespace jotrak;
using namespace jotrak::testutil;

namespace {

const QString kGoalText = QStringLiteral("<goal text not null>");

// The keys of a period table in IDME order; every seeded goal text is still Null.
QStringList Keys(ConnectionHolder& c, Table table)
{
    QStringList keys;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), c);
    while (!IsAtEnd(rs)) {
        keys.append(GetFieldValue(rs, QStringLiteral("ming")).toText());
        if (!GetFieldValue(rs, QStringLiteral("nr")).isNull())
            keys.append(kGoalText);
        MoveToNext(rs);
    }
    return keys;
}

void AddGoal(ConnectionHolder& c, Table table, const QString& key)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), c);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ming"), key);
    StoreRow(rs);
}

} // namespace

class TestSeed : public QObject {
    Q_OBJECT
private slots:
    void fillsEmptyTablesWithTwentyYears()
    {
        TempDatabase db;
        SeedPeriodTables(db.connection);
        const QStringList years = Keys(db.connection, Table::Nian);
        const QStringList months = Keys(db.connection, Table::Yue);
        const QStringList days = Keys(db.connection, Table::Ri);
        QCOMPARE(years.size(), 20);
        QCOMPARE(months.size(), 240);
        QCOMPARE(days.size(), 7305);
        QVERIFY(years.contains(QStringLiteral("2018")) && years.contains(QStringLiteral("2037")));
        QVERIFY(months.contains(QStringLiteral("201801")) && months.contains(QStringLiteral("203712")));
        QVERIFY(days.contains(QStringLiteral("20180101")) && days.contains(QStringLiteral("20371231")));
        for (int y = 2018; y <= 2037; ++y) {
            const bool leap = y % 4 == 0;
            QCOMPARE(days.contains(FormatDayKey(y, 2, 29)), leap);
        }
        QVERIFY(!days.contains(QStringLiteral("20180431")));
    }

    void secondSeedingAddsNothing()
    {
        TempDatabase db;
        SeedPeriodTables(db.connection);
        SeedPeriodTables(db.connection);
        QCOMPARE(CountRows(db.connection, Table::Ri), 7305);
        QCOMPARE(CountRows(db.connection, Table::Nian), 20);
    }

    // From 2038 on, a file seeded with 2018 to 2037 grows by whole years through
    // the next year, in the shape of the seed (ascending keys, no goal text).
    void extendsThroughTheNextYear_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QList<int>>("rows"); // Nian, Yue, Ri
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QStringList seededEnd = {"2037", "203712", "20371231"};
        const QStringList notSeeded = {"2038", "203801", "20380101", "2017"};
        QTest::newRow("2037: the year is there") << 2037 << false << QList{20, 240, 7305} << seededEnd << notSeeded;
        QTest::newRow("2017: before the first year") << 2017 << false << QList{20, 240, 7305} << seededEnd << notSeeded;
        QTest::newRow("read-only file that has the year")
            << 2030 << true << QList{20, 240, 7305} << seededEnd << notSeeded;
        QTest::newRow("2038") << 2038 << false << QList{22, 264, 8035} << QStringList{"2039", "203912", "20391231"}
                              << QStringList{"2040", "204001", "20400101", "20380229"};
        QTest::newRow("2040 leap") << 2040 << false << QList{24, 288, 8766}
                                   << QStringList{"20400229", "2041", "204112", "20411231"}
                                   << QStringList{"20410229", "2042"};
        QTest::newRow("2099 to 2100, not leap")
            << 2099 << false << QList{83, 996, 30315} << QStringList{"20960229", "21001231"} << QStringList{"21000229"};
    }
    void extendsThroughTheNextYear()
    {
        QFETCH(int, year);
        QFETCH(bool, readOnly);
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        TempDatabase db;
        SeedPeriodTables(db.connection);
        if (readOnly)
            QCOMPARE(sqlite3_exec(db.connection.handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr), 0);
        QStringList keys;
        for (int start = 0; start < 2; ++start) { // a second start adds nothing
            ExtendPeriodTables(db.connection, year);
            keys.clear();
            QList<int> counts;
            for (Table table : {Table::Nian, Table::Yue, Table::Ri}) {
                const QStringList tableKeys = Keys(db.connection, table);
                QVERIFY(std::is_sorted(tableKeys.begin(), tableKeys.end()));
                counts << tableKeys.size();
                keys += tableKeys;
            }
            QCOMPARE(counts, rows);
        }
        for (const QString& key : present)
            QVERIFY2(keys.contains(key), qPrintable(key));
        for (const QString& key : absent + QStringList{kGoalText})
            QVERIFY2(!keys.contains(key), qPrintable(key));
    }

    void eachTableIsJudgedOnItsOwn()
    {
        TempDatabase db;
        AddGoal(db.connection, Table::Nian, QStringLiteral("2030"));
        SeedPeriodTables(db.connection);
        QCOMPARE(Keys(db.connection, Table::Nian), QStringList{QStringLiteral("2030")});
        QCOMPARE(CountRows(db.connection, Table::Yue), 240);
        QCOMPARE(CountRows(db.connection, Table::Ri), 7305);
    }
};

QTEST_GUILESS_MAIN(TestSeed)
#include "tst_seed.moc"
