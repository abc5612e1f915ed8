#include "support/database.h"
#include "data/seed.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// The keys of a period table in IDME order, and whether any goal text is set.
QStringList Keys(ConnectionHolder& c, Table table, bool* anyText = nullptr)
{
    QStringList keys;
    RecordsetHolder rs;
    for (OpenRecordset(rs, stmt::SelectAll(table), c); !IsAtEnd(rs); MoveToNext(rs)) {
        keys << GetFieldValue(rs, QStringLiteral("ming")).toText();
        if (anyText && !GetFieldValue(rs, QStringLiteral("nr")).isNull())
            *anyText = true;
    }
    return keys;
}

QList<int> ItemIds(ConnectionHolder& c)
{
    QList<int> ids;
    for (const WorkItem& item : ListWorkItems(c, Table::Ri, 7))
        ids << item.id;
    return ids;
}

} // namespace

class TestData : public QObject {
    Q_OBJECT

private slots:
    // Rows read once at open, in IDME order; a new row knows its IDME before storing; IDMEs are never reused.
    void rowsAreReadOnceInIdOrderAndIdsAreNotReused()
    {
        TempDb db;
        for (int i = 0; i < 4; ++i)
            AddItem(db.connection, Table::Ri, 7, QString::number(i));
        QList<int> ids = ItemIds(db.connection);
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemsOfGoal(Table::Ri, 7), db.connection);
        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, ids.takeLast()));
        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, ids.takeAt(1)));
        QCOMPARE(rs.rowCount(), 4);
        QCOMPARE(GetFieldValue(rs, QStringLiteral("nr")).toText(), QStringLiteral("0"));

        RecordsetHolder added;
        OpenRecordset(added, stmt::ForAppending(Table::RiNext), db.connection);
        AddNewRow(added);
        const int id = GetFieldValue(added, QStringLiteral("IDME")).toInt();
        QVERIFY(id > 4);
        SetFieldValue(added, QStringLiteral("ShangId"), 7);
        StoreRow(added);
        QCOMPARE(ItemIds(db.connection), ids << id);
    }

    // Unstored or uncommitted rows leave nothing; a row deleted meanwhile is not stored again; failures raise.
    void whatIsNotCommittedLeavesNothing()
    {
        TempDb db;
        {
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::ForAppending(Table::Tx), db.connection);
            AddNewRow(rs);
            SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("never stored"));
            Transaction t(db.connection);
            AddItem(db.connection, Table::Ri, 1, QStringLiteral("inside"));
        }
        QCOMPARE(CountRows(db.connection, Table::Tx) + CountRows(db.connection, Table::RiNext), 0);
        const int id = AddItem(db.connection, Table::Ri, 1, QStringLiteral("x"));
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, id), db.connection);
        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, id));
        SetFieldValue(rs, QStringLiteral("nr"), QStringLiteral("changed"));
        try {
            StoreRow(rs);
            QFAIL("a row deleted meanwhile was stored");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.code(), kRowGoneError);
        }
        QCOMPARE(CountRows(db.connection, Table::RiNext), 0);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("OpenRecordset failed")));
        OpenRecordset(rs, Statement{QStringLiteral("Select * from NoSuchTable"), {}, Table::Tx}, db.connection);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, IsAtEnd(rs));
    }

    // What happened and what to do, in Chinese; the engine's words go to the details, never a statement.
    void engineFailuresAreToldInChinese_data()
    {
        QTest::addColumn<int>("situation");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("engineWords");
        const std::tuple<const char*, int, const char*, const char*> rows[] = {
            {"locked by another program", -1, "另一个程序占用", "database is locked"},
            {"read-only", -2, "只读", "readonly database"},
            {"disk full", -3, "磁盘已满", "full"},
            {"damaged file", -4, "已损坏", "malformed"},
        };
        for (const auto& [name, situation, words, engineWords] : rows)
            QTest::newRow(name) << situation << QString::fromUtf8(words) << QString::fromUtf8(engineWords);
    }
    void engineFailuresAreToldInChinese()
    {
        QFETCH(int, situation);
        QFETCH(QString, words);
        QFETCH(QString, engineWords);
        TempDb db;
        sqlite3* other = nullptr;
        sqlite3* handle = db.connection.handle();
        if (situation == -1) { // a write lock held past the wait
            sqlite3_open(QFile::encodeName(db.path()).constData(), &other);
            sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            sqlite3_busy_timeout(handle, 20);
        } else if (situation == -2) {
            sqlite3_exec(handle, "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        } else if (situation == -3) {
            sqlite3_exec(handle, "PRAGMA max_page_count = 1", nullptr, nullptr, nullptr);
        } else {
            CloseConnection(db.connection);
            QFile file(db.path());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2));
            file.write(QByteArray(file.size() / 2, '\xff'));
            file.close();
        }
        DatabaseError error(0, {});
        try {
            if (situation == -4) // the damage may reach the schema itself
                OpenDatabase(db.connection, db.path());
            for (int i = 0; i < 50; ++i)
                AddItem(db.connection, Table::Ri, 1, QString(10000, u'x'));
        } catch (const DatabaseError& e) {
            error = e;
        }
        sqlite3_close(other);
        QString sentence = error.message();
        QVERIFY2(sentence.contains(words), qPrintable(sentence));
        sentence.remove(db.path()).remove(QStringLiteral("Jotrak"));
        QVERIFY2(!sentence.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(sentence));
        QVERIFY2(error.details().contains(engineWords, Qt::CaseInsensitive), qPrintable(error.details()));
        QVERIFY2(!error.details().contains(QStringLiteral("select"), Qt::CaseInsensitive), qPrintable(error.details()));
    }

    // 2018-2037 seeded; later years grow whole, ascending, without text; a second start adds nothing.
    void periodTablesAreSeededAndGrow_data()
    {
        QTest::addColumn<int>("year");        // below 0: read-only
        QTest::addColumn<QList<int>>("rows"); // Nian, Yue, Ri
        QTest::addColumn<QString>("present");
        QTest::addColumn<QString>("absent");
        const char* seeded = "2018 201801 20180101 20200229 2037 203712 20371231";
        const char* notSeeded = "2017 2038 203801 20380101 20180229 20180431";
        const std::tuple<const char*, int, QList<int>, const char*, const char*> rows[] = {
            {"2037: the year is there", 2037, {20, 240, 7305}, seeded, notSeeded},
            {"2017: before the first year", 2017, {20, 240, 7305}, seeded, notSeeded},
            {"read-only file that has the year", -2030, {20, 240, 7305}, seeded, notSeeded},
            {"2038", 2038, {22, 264, 8035}, "2039 203912 20391231", "2040 204001 20400101 20380229"},
            {"2040 leap", 2040, {24, 288, 8766}, "20400229 20411231", "20410229 2042"},
            {"2099 to 2100, not leap", 2099, {83, 996, 30315}, "20960229 21001231", "21000229"},
            {"a year table of its own", 0, {1, 240, 7305}, "2030 20180101", "2018"},
        };
        for (const auto& [name, year, counts, present, absent] : rows)
            QTest::newRow(name) << year << counts << QString::fromLatin1(present) << QString::fromLatin1(absent);
    }
    void periodTablesAreSeededAndGrow()
    {
        QFETCH(int, year);
        QFETCH(QList<int>, rows);
        QFETCH(QString, present);
        QFETCH(QString, absent);
        TempDb db;
        if (year == 0)
            RunSql(db.path(), "INSERT INTO Nian(ming) VALUES('2030')");
        for (int start = 0; start < 2; ++start) {
            SeedPeriodTables(db.connection);
            if (year < 0)
                sqlite3_exec(db.connection.handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
            if (year != 0)
                ExtendPeriodTables(db.connection, std::abs(year));
            QStringList keys;
            QList<int> counts;
            bool anyText = false;
            for (Table table : {Table::Nian, Table::Yue, Table::Ri}) {
                const QStringList tableKeys = Keys(db.connection, table, &anyText);
                QVERIFY(std::is_sorted(tableKeys.begin(), tableKeys.end()));
                counts << tableKeys.size();
                keys += tableKeys;
            }
            QCOMPARE(counts, rows);
            QVERIFY(!anyText);
            for (const QString& key : present.split(u' '))
                QVERIFY2(keys.contains(key), qPrintable(key));
            for (const QString& key : absent.split(u' '))
                QVERIFY2(!keys.contains(key), qPrintable(key));
        }
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
