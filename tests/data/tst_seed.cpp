#include "data_test_util.h"

#include "data/seed.h"

#include <QSet>
#include <QTest>

using namespace jotrak;
using namespace jotrak::testutil;

namespace {

// The keys of a period table; every seeded goal text is still Null.
QSet<QString> Keys(ConnectionHolder& c, Table table)
{
    QSet<QString> keys;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), c);
    while (!IsAtEnd(rs)) {
        keys.insert(GetFieldValue(rs, QStringLiteral("ming")).toText());
        if (!GetFieldValue(rs, QStringLiteral("nr")).isNull())
            keys.insert(QStringLiteral("<goal text not null>"));
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
        const QSet<QString> years = Keys(db.connection, Table::Nian);
        const QSet<QString> months = Keys(db.connection, Table::Yue);
        const QSet<QString> days = Keys(db.connection, Table::Ri);
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

    void eachTableIsJudgedOnItsOwn()
    {
        TempDatabase db;
        AddGoal(db.connection, Table::Nian, QStringLiteral("2030"));
        SeedPeriodTables(db.connection);
        QCOMPARE(Keys(db.connection, Table::Nian), QSet<QString>{QStringLiteral("2030")});
        QCOMPARE(CountRows(db.connection, Table::Yue), 240);
        QCOMPARE(CountRows(db.connection, Table::Ri), 7305);
    }
};

QTEST_GUILESS_MAIN(TestSeed)
#include "tst_seed.moc"
