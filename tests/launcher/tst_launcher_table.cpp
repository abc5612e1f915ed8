#include "data/data_test_util.h"
#include "launcher/launcher_table.h"

#include <QTest>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::testutil;

namespace {

using Entries = std::array<LauncherButton, kLauncherButtons>;

void Bind(ConnectionHolder& c, int number, const QString& name, const QString& path)
{
    QVERIFY(StoreLauncherRow(c, number, {name, path}));
}

void AppendRow(ConnectionHolder& c, const QString& name, const QString& path)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectLaunchers(), c);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ming"), name);
    SetFieldValue(rs, QStringLiteral("wj"), path);
    StoreRow(rs);
    CloseRecordset(rs);
}

void Sql(ConnectionHolder& c, const char* sql)
{
    QCOMPARE(sqlite3_exec(c.handle(), sql, nullptr, nullptr, nullptr), SQLITE_OK);
}

} // namespace

class LauncherTableTest : public QObject {
    Q_OBJECT

private slots:
    void aNewDatabaseLeavesEveryButtonUnboundAndBlank()
    {
        TempDatabase db;
        Entries entries;
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        for (int k = 0; k < kLauncherButtons; ++k) {
            QVERIFY(!entries[k].bound);
            QVERIFY(captions[k].isEmpty());
        }
    }

    void rowsGoToButtonsInIdOrder()
    {
        TempDatabase db;
        Bind(db.connection, 1, QStringLiteral("记事本"), QStringLiteral("/usr/bin/gedit"));
        Bind(db.connection, 18, QStringLiteral("文档"), QStringLiteral("/home/u/文档"));
        Entries entries;
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        QVERIFY(entries[0].bound);
        QCOMPARE(entries[0].path, QStringLiteral("/usr/bin/gedit"));
        QCOMPARE(captions[0], QStringLiteral("记事本"));
        QVERIFY(entries[17].bound);
        QCOMPARE(entries[17].path, QStringLiteral("/home/u/文档"));
        QCOMPARE(captions[17], QStringLiteral("文档"));
        for (int k = 1; k < 17; ++k)
            QVERIFY(!entries[k].bound);
    }

    void onlyTheTextZeroUnbinds()
    {
        TempDatabase db;
        Bind(db.connection, 2, QString(), QStringLiteral("/p/empty-name"));
        Bind(db.connection, 3, QStringLiteral(" 0"), QStringLiteral("/p/space-zero"));
        Bind(db.connection, 4, QStringLiteral("00"), QStringLiteral("/p/double-zero"));
        Entries entries;
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        QVERIFY(entries[1].bound);
        QCOMPARE(captions[1], QString());
        QCOMPARE(entries[1].path, QStringLiteral("/p/empty-name"));
        QVERIFY(entries[2].bound);
        QCOMPARE(captions[2], QStringLiteral(" 0"));
        QVERIFY(entries[3].bound);
    }

    void aReloadUnbindsAButtonClearedMeanwhile()
    {
        TempDatabase db;
        Bind(db.connection, 5, QStringLiteral("照片"), QStringLiteral("/photos"));
        Entries entries;
        ReadLauncherTable(db.connection, entries);
        QVERIFY(entries[4].bound);
        Bind(db.connection, 5, EmptyButtonName, QString());
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        QVERIFY(!entries[4].bound);
        QVERIFY(captions[4].isEmpty());
    }

    void nullColumnsReadAsEmptyText()
    {
        TempDatabase db;
        Sql(db.connection, "UPDATE An SET ming = NULL, wj = NULL WHERE IDME = 6");
        Sql(db.connection, "UPDATE An SET ming = 'x', wj = NULL WHERE IDME = 7");
        Entries entries;
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        QVERIFY(entries[5].bound); // NULL is not "0"
        QCOMPARE(captions[5], QString());
        QCOMPARE(entries[6].path, QString());
        const auto row = ReadLauncherRow(db.connection, 6);
        QVERIFY(row);
        QCOMPARE(row->name, QString());
        QCOMPARE(row->path, QString());
    }

    void rowsPastTheEighteenthAreIgnored()
    {
        TempDatabase db;
        AppendRow(db.connection, QStringLiteral("第十九"), QStringLiteral("/nineteen"));
        AppendRow(db.connection, QStringLiteral("第二十"), QStringLiteral("/twenty"));
        Entries entries;
        ReadLauncherTable(db.connection, entries);
        for (int k = 0; k < kLauncherButtons; ++k)
            QVERIFY(!entries[k].bound);
        QCOMPARE(LauncherListLines(db.connection).size(), kLauncherButtons);
    }

    void missingRowsLeaveTheirButtonsUnbound()
    {
        TempDatabase db;
        for (int n = 1; n <= kLauncherButtons; ++n)
            Bind(db.connection, n, QStringLiteral("b%1").arg(n), QStringLiteral("/p%1").arg(n));
        Entries entries;
        ReadLauncherTable(db.connection, entries);
        Sql(db.connection, "DELETE FROM An WHERE IDME > 15");
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        QVERIFY(entries[14].bound);
        for (int k = 15; k < kLauncherButtons; ++k) {
            QVERIFY(!entries[k].bound);
            QVERIFY(captions[k].isEmpty());
        }
        QCOMPARE(LauncherListLines(db.connection).size(), 15);
        QVERIFY(!ReadLauncherRow(db.connection, 16));
        QVERIFY(!StoreLauncherRow(db.connection, 16, {QStringLiteral("x"), QStringLiteral("/x")}));
        QCOMPARE(CountRows(db.connection, Table::An), 15);
    }

    void listShowsNamesOrNumbers()
    {
        TempDatabase db;
        Bind(db.connection, 1, QStringLiteral("浏览器"), QStringLiteral("/b"));
        Bind(db.connection, 3, QString(), QStringLiteral("/c"));
        const QStringList lines = LauncherListLines(db.connection);
        QCOMPARE(lines.size(), kLauncherButtons);
        QCOMPARE(lines[0], QStringLiteral("浏览器"));
        QCOMPARE(lines[1], QStringLiteral("2"));
        QCOMPARE(lines[2], QString());
        QCOMPARE(lines[6], QStringLiteral("7"));
        QCOMPARE(lines[17], QStringLiteral("18"));
    }

    void namesAndPathsAreKeptWhole()
    {
        TempDatabase db;
        const QString name = QStringLiteral("O'Brien 的 \"工具\" & 100%") + QString(1500, QChar(0x6587));
        const QString path = QStringLiteral("/home/用户/My Documents/it's here/") + QString(3000, QLatin1Char('a')) +
                             QStringLiteral(" 结尾.txt");
        Bind(db.connection, 9, name, path);
        const auto row = ReadLauncherRow(db.connection, 9);
        QVERIFY(row);
        QCOMPARE(row->name, name);
        QCOMPARE(row->path, path);
        Entries entries;
        const LauncherCaptions captions = ReadLauncherTable(db.connection, entries);
        QCOMPARE(captions[8], name);
        QCOMPARE(entries[8].path, path);
    }
};

QTEST_GUILESS_MAIN(LauncherTableTest)
#include "tst_launcher_table.moc"
