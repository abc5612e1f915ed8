#include "support/bytes.h"
#include "support/database.h"
#include "support/hostile_files.h"

#include "data/seed.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <limits>

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
    void leadingNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("leading zero") << "0105" << 105;
        QTest::newRow("blanks and sign") << " \t+12abc" << 12;
        QTest::newRow("negative") << "-5" << -5;
        QTest::newRow("suffix") << "3号" << 3;
        QTest::newRow("no digits") << "abc" << 0;
        QTest::newRow("sign only") << "-" << 0;
        QTest::newRow("digits after text") << "x12" << 0;
        QTest::newRow("overflow saturates") << "99999999999999999999" << std::numeric_limits<int>::max();
        QTest::newRow("underflow saturates") << "-99999999999999999999" << std::numeric_limits<int>::min();
        QTest::newRow("full-width digits are not digits") << "１２" << 0;
    }
    void leadingNumber()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(LeadingNumber(text), number);
    }

    void aMissingFileAndFolderAreCreatedWithNothingBeside()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("no/such/Dt/db.mdb"));
        ConnectionHolder c;
        OpenDatabase(c, path);
        QVERIFY(c.isOpen());
        QCOMPARE(QDir(QFileInfo(path).absolutePath()).entryList(QDir::Files), QStringList{QStringLiteral("db.mdb")});
        QCOMPARE(CountRows(c, Table::An), 18);
        CloseConnection(c);
        OpenDatabase(c, path); // and opens again
        QVERIFY(c.isOpen());

        QVERIFY(WriteBytes(dir.filePath(QStringLiteral("blocked/Dt")), "a file where the folder should be"));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, OpenDatabase(c, dir.filePath(QStringLiteral("blocked/Dt/db.mdb"))));
    }

    void aFileThatIsNoJotrakDatabaseIsRefusedUntouched_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("words");
        for (const HostileFile& file : HostileFiles())
            QTest::newRow(file.kind) << QString::fromLatin1(file.kind) << QString::fromUtf16(file.words);
    }
    void aFileThatIsNoJotrakDatabaseIsRefusedUntouched()
    {
        QFETCH(QString, kind);
        QFETCH(QString, words);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
        MakeHostileFile(kind, path);
        const QByteArray before = Sha256(path);
        ConnectionHolder c;
        try {
            OpenDatabase(c, path);
            QFAIL("the file was taken");
        } catch (const DatabaseError& e) {
            QVERIFY2(e.message().contains(words) && e.message().contains(QStringLiteral("db.mdb")),
                     qPrintable(e.message()));
        }
        QVERIFY(!c.isOpen());
        QCOMPARE(Sha256(path), before);
        QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
    }

    // Rows are read once, at open, in IDME order; a new row knows its IDME before
    // it is stored, and an IDME is never given twice.
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

    // Texts are bound as they are: Null apart from empty, quotes never part of a
    // statement, long and non-BMP texts whole.
    void textsAreKeptWhole()
    {
        TempDb db;
        const QList<Value> texts = {Value::Null(), QString(),
                                    QStringLiteral("it's \"quoted\"; drop table Ri; --\n第二行 😀"),
                                    QString(200000, QChar(0x4E2D))};
        const QString column = QStringLiteral("nr");
        for (const Value& text : texts) {
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::ForAppending(Table::Tx), db.connection);
            AddNewRow(rs);
            SetFieldValue(rs, column, text);
            StoreRow(rs);
        }
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectSchemes(), db.connection);
        for (const Value& text : texts) {
            QCOMPARE(GetFieldValue(rs, column), text);
            MoveToNext(rs);
        }
        OpenRecordset(rs, stmt::GoalByKey(Table::Nian, QStringLiteral("2018' or '1'='1")), db.connection);
        QVERIFY(IsAtEnd(rs));
    }

    // Every change is one statement or one transaction: a new row never stored,
    // or stored inside a transaction never committed, leaves nothing.
    void whatIsNotCommittedLeavesNothing()
    {
        TempDb db;
        {
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::ForAppending(Table::Tx), db.connection);
            AddNewRow(rs);
            SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("never stored"));
        }
        {
            Transaction t(db.connection);
            AddItem(db.connection, Table::Ri, 1, QStringLiteral("inside"));
        }
        QCOMPARE(CountRows(db.connection, Table::Tx), 0);
        QCOMPARE(CountRows(db.connection, Table::RiNext), 0);
        {
            Transaction t(db.connection);
            AddItem(db.connection, Table::Ri, 1, QStringLiteral("inside"));
            t.commit();
        }
        ConnectionHolder other;
        OpenDatabase(other, db.path());
        QCOMPARE(CountRows(other, Table::RiNext), 1);
    }

    void misuseRaises()
    {
        TempDb db;
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
        OpenRecordset(rs, stmt::SelectAll(Table::Tx), db.connection);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, GetFieldValue(rs, QStringLiteral("ming")));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, MoveToNext(rs));

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("OpenRecordset failed")));
        OpenRecordset(rs, Statement{QStringLiteral("Select * from NoSuchTable"), {}, Table::Tx}, db.connection);
        QVERIFY_THROWS_EXCEPTION(DatabaseError, IsAtEnd(rs));
    }

    // What happened and what to do, in Chinese; the engine's words go to the
    // details, never a statement.
    void engineFailuresAreToldInChinese_data()
    {
        QTest::addColumn<int>("situation"); // an engine code, or a made situation below 0
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("engineWords");
        QTest::newRow("locked by another program") << -1 << "另一个程序占用"
                                                   << "database is locked";
        QTest::newRow("read-only") << -2 << "只读"
                                   << "readonly database";
        QTest::newRow("disk full") << -3 << "磁盘已满"
                                   << "full";
        QTest::newRow("damaged file") << -4 << "已损坏"
                                      << "malformed";
        QTest::newRow("I/O error") << SQLITE_IOERR_WRITE << "磁盘或网络"
                                   << "I/O";
        QTest::newRow("cannot open") << SQLITE_CANTOPEN << "不存在,或不允许访问"
                                     << "open";
        QTest::newRow("permission") << SQLITE_PERM << "权限"
                                    << "permission";
    }
    void engineFailuresAreToldInChinese()
    {
        QFETCH(int, situation);
        QFETCH(QString, words);
        QFETCH(QString, engineWords);
        TempDb db;
        sqlite3* other = nullptr;
        sqlite3* handle = db.connection.handle();
        DatabaseError error(0, {});
        if (situation > 0) {
            error = DatabaseError(situation, DatabaseSentence(situation, db.path()),
                                  QString::fromUtf8(sqlite3_errstr(situation)));
        } else {
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
            try {
                if (situation == -4) // the damage may reach the schema itself
                    OpenDatabase(db.connection, db.path());
                for (int i = 0; i < 50; ++i)
                    AddItem(db.connection, Table::Ri, 1, QString(10000, u'x'));
            } catch (const DatabaseError& e) {
                error = e;
            }
        }
        sqlite3_close(other);
        QString sentence = error.message();
        QVERIFY2(sentence.contains(words), qPrintable(sentence));
        sentence.remove(db.path()).remove(QStringLiteral("Jotrak"));
        QVERIFY2(!sentence.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(sentence));
        QVERIFY2(error.details().contains(engineWords, Qt::CaseInsensitive), qPrintable(error.details()));
        QVERIFY2(!error.details().contains(QStringLiteral("select"), Qt::CaseInsensitive), qPrintable(error.details()));
    }

    // Twenty years from 2018; from 2038 on the tables grow by whole years through
    // the next one, in the shape of the seed (ascending keys, no goal text).
    void periodTablesAreSeededAndGrow_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QList<int>>("rows"); // Nian, Yue, Ri
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<QStringList>("absent");
        const QStringList seeded = {"2018", "201801", "20180101", "20200229", "2037", "203712", "20371231"};
        const QStringList notSeeded = {"2017", "2038", "203801", "20380101", "20180229", "20180431"};
        QTest::newRow("2037: the year is there") << 2037 << false << QList{20, 240, 7305} << seeded << notSeeded;
        QTest::newRow("2017: before the first year") << 2017 << false << QList{20, 240, 7305} << seeded << notSeeded;
        QTest::newRow("read-only file that has the year")
            << 2030 << true << QList{20, 240, 7305} << seeded << notSeeded;
        QTest::newRow("2038") << 2038 << false << QList{22, 264, 8035} << QStringList{"2039", "203912", "20391231"}
                              << QStringList{"2040", "204001", "20400101", "20380229"};
        QTest::newRow("2040 leap") << 2040 << false << QList{24, 288, 8766} << QStringList{"20400229", "20411231"}
                                   << QStringList{"20410229", "2042"};
        QTest::newRow("2099 to 2100, not leap")
            << 2099 << false << QList{83, 996, 30315} << QStringList{"20960229", "21001231"} << QStringList{"21000229"};
    }
    void periodTablesAreSeededAndGrow()
    {
        QFETCH(int, year);
        QFETCH(bool, readOnly);
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, present);
        QFETCH(QStringList, absent);
        TempDb db;
        for (int start = 0; start < 2; ++start) { // a second start adds nothing
            SeedPeriodTables(db.connection);
            if (readOnly)
                sqlite3_exec(db.connection.handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
            ExtendPeriodTables(db.connection, year);
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
            for (const QString& key : present)
                QVERIFY2(keys.contains(key), qPrintable(key));
            for (const QString& key : absent)
                QVERIFY2(!keys.contains(key), qPrintable(key));
        }
    }

    void eachTableIsSeededOnItsOwn()
    {
        TempDb db;
        RunSql(db.path(), "INSERT INTO Nian(ming) VALUES('2030')");
        SeedPeriodTables(db.connection);
        QCOMPARE(Keys(db.connection, Table::Nian), QStringList{QStringLiteral("2030")});
        QCOMPARE(CountRows(db.connection, Table::Ri), 7305);
    }
};

QTEST_GUILESS_MAIN(TestData)
#include "tst_data.moc"
