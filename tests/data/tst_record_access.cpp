#include "data_test_util.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QTest>

using namespace jotrak;
using namespace jotrak::testutil;

namespace {

int AddItem(ConnectionHolder& c, int goalId, const QString& content)
{
    RecordsetHolder rs;
    CreateRecordset(rs);
    OpenRecordset(rs, stmt::SelectAll(Table::RiNext), c);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
    SetFieldValue(rs, QStringLiteral("nr"), content);
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    return id;
}

} // namespace

class TestRecordAccess : public QObject {
    Q_OBJECT
private slots:
    void newFileHoldsTablesAndLauncherRows()
    {
        TempDatabase db;
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectLaunchers(), db.connection);
        int n = 0;
        while (!IsAtEnd(rs)) {
            ++n;
            QCOMPARE(GetFieldValue(rs, QStringLiteral("IDME")).toInt(), n);
            QCOMPARE(GetFieldValue(rs, QStringLiteral("ming")), Value(QStringLiteral("0")));
            QCOMPARE(GetFieldValue(rs, QStringLiteral("wj")), Value(QString()));
            MoveToNext(rs);
        }
        QCOMPARE(n, 18);
        for (Table t : {Table::Nian, Table::Yue, Table::Ri, Table::NianNext, Table::YueNext, Table::RiNext, Table::Tx})
            QCOMPARE(CountRows(db.connection, t), 0);
    }

    void staticCursorReadsRowsOnceAtOpen()
    {
        TempDatabase db;
        const int a = AddItem(db.connection, 7, QStringLiteral("a"));
        AddItem(db.connection, 7, QStringLiteral("b"));
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemsOfGoal(Table::Ri, 7), db.connection);
        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, a));
        AddItem(db.connection, 7, QStringLiteral("c"));
        QCOMPARE(rs.rowCount(), 2);
        QCOMPARE(GetFieldValue(rs, QStringLiteral("nr")).toText(), QStringLiteral("a"));
    }

    void newRowKnowsItsIdBeforeStoreAndIdsAreNotReused()
    {
        TempDatabase db;
        const int first = AddItem(db.connection, 1, QStringLiteral("x"));
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, first), db.connection);
        QVERIFY(!IsAtEnd(rs));
        QCOMPARE(GetFieldValue(rs, QStringLiteral("nr")).toText(), QStringLiteral("x"));
        QVERIFY(GetFieldValue(rs, QStringLiteral("wcqk")).isNull());
        QCOMPARE(GetFieldValue(rs, QStringLiteral("IsOk")).toInt(), 0);
        CloseRecordset(rs);

        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, first));
        const int second = AddItem(db.connection, 1, QStringLiteral("y"));
        QVERIFY(second > first);
    }

    void abandonedNewRowLeavesNothing()
    {
        TempDatabase db;
        {
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::SelectAll(Table::Tx), db.connection);
            AddNewRow(rs);
            SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("never stored"));
            CloseRecordset(rs);
        }
        {
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::SelectAll(Table::Tx), db.connection);
            AddNewRow(rs);
        } // dropped by its destructor on the way out
        QCOMPARE(CountRows(db.connection, Table::Tx), 0);
        {
            Transaction t(db.connection);
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::SelectAll(Table::Tx), db.connection);
            AddNewRow(rs);
            SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("dropped inside a transaction"));
            CloseRecordset(rs);
            t.commit();
        }
        QCOMPARE(CountRows(db.connection, Table::Tx), 0);
        AddItem(db.connection, 1, QStringLiteral("still works"));
        QCOMPARE(CountRows(db.connection, Table::RiNext), 1);
    }

    void nullStaysApartFromEmptyText()
    {
        TempDatabase db;
        const int id = AddItem(db.connection, 1, QString());
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, id), db.connection);
        QVERIFY(!GetFieldValue(rs, QStringLiteral("nr")).isNull());
        QVERIFY(GetFieldValue(rs, QStringLiteral("wcqk")).isNull());
        QCOMPARE(TextFromValue(GetFieldValue(rs, QStringLiteral("wcqk"))), QString());
    }

    void failedOpenIsLoggedThenNextCallRaises()
    {
        TempDatabase db;
        RecordsetHolder rs;
        CreateRecordset(rs);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("OpenRecordset failed")));
        OpenRecordset(rs, Statement{QStringLiteral("Select * from NoSuchTable"), {}, Table::Tx}, db.connection);
        QVERIFY(!rs.isOpen());
        QVERIFY_THROWS_EXCEPTION(DatabaseError, IsAtEnd(rs));
    }

    // The user reads what happened and what to do, in Chinese; the engine's
    // words go to the details, never a statement.
    void engineFailuresAreToldInChinese_data()
    {
        QTest::addColumn<int>("situation"); // an engine code, or one of the made situations below
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("engineWords");
        QTest::newRow("locked by another program") << -1 << QString::fromUtf8("另一个程序占用") << "database is locked";
        QTest::newRow("read-only") << -2 << QString::fromUtf8("只读") << "readonly database";
        QTest::newRow("disk full") << -3 << QString::fromUtf8("磁盘已满") << "full";
        QTest::newRow("damaged file") << -4 << QString::fromUtf8("已损坏") << "malformed";
        QTest::newRow("I/O error") << SQLITE_IOERR_WRITE << QString::fromUtf8("磁盘或网络") << "I/O";
        QTest::newRow("cannot open") << SQLITE_CANTOPEN << QString::fromUtf8("不存在,或不允许访问") << "open";
        QTest::newRow("permission") << SQLITE_PERM << QString::fromUtf8("权限") << "permission";
    }
    void engineFailuresAreToldInChinese()
    {
        QFETCH(int, situation);
        QFETCH(QString, words);
        QFETCH(QString, engineWords);
        TempDatabase db;
        sqlite3* other = nullptr;
        auto fail = [&]() -> DatabaseError {
            if (situation > 0)
                return DatabaseError(situation, DatabaseSentence(situation, db.path()),
                                     QString::fromUtf8(sqlite3_errstr(situation)));
            try {
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
                    file.open(QIODevice::ReadWrite);
                    file.seek(file.size() / 2);
                    file.write(QByteArray(file.size() / 2, '\xff'));
                    file.close();
                    OpenDatabase(db.connection, db.path());
                }
                for (int i = 0; i < 50; ++i)
                    AddItem(db.connection, 1, QString(10000, u'x'));
            } catch (const DatabaseError& error) {
                return error;
            }
            return DatabaseError(0, {});
        };
        const DatabaseError error = fail();
        if (other)
            sqlite3_close(other);
        QString sentence = error.message();
        QVERIFY2(sentence.contains(words), qPrintable(sentence));
        sentence.remove(db.path()).remove(QStringLiteral("Jotrak"));
        QVERIFY2(!sentence.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(sentence));
        QVERIFY2(error.details().contains(engineWords, Qt::CaseInsensitive), qPrintable(error.details()));
        QVERIFY2(!error.details().contains(QStringLiteral("select"), Qt::CaseInsensitive), qPrintable(error.details()));
    }

    void boundTextsAreNeverPartOfTheStatement()
    {
        TempDatabase db;
        const QString hostile = QStringLiteral("2018' or '1'='1");
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::GoalByKey(Table::Nian, hostile), db.connection);
        QVERIFY(rs.isOpen());
        QVERIFY(IsAtEnd(rs));
        const QString text = QStringLiteral("it's \"quoted\"; drop table Ri; --\n第二行 😀");
        const int id = AddItem(db.connection, 1, text);
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, id), db.connection);
        QCOMPARE(GetFieldValue(rs, QStringLiteral("nr")).toText(), text);
    }

    void longTextsAreKeptWhole()
    {
        TempDatabase db;
        const QString text = QString(200000, QChar(0x4E2D));
        const int id = AddItem(db.connection, 1, text);
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, id), db.connection);
        QCOMPARE(GetFieldValue(rs, QStringLiteral("nr")).toText(), text);
    }

    void listsComeInIdOrder()
    {
        TempDatabase db;
        QList<int> ids;
        for (int i = 0; i < 5; ++i)
            ids << AddItem(db.connection, 3, QString::number(i));
        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, ids[2]));
        ids.removeAt(2);
        ids << AddItem(db.connection, 3, QStringLiteral("last"));
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemsOfGoal(Table::Ri, 3), db.connection);
        QList<int> seen;
        while (!IsAtEnd(rs)) {
            seen << GetFieldValue(rs, QStringLiteral("IDME")).toInt();
            MoveToNext(rs);
        }
        QCOMPARE(seen, ids);
    }

    void storingARowDeletedMeanwhileRaises()
    {
        TempDatabase db;
        const int id = AddItem(db.connection, 1, QStringLiteral("x"));
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(Table::RiNext, id), db.connection);
        ExecuteStatement(db.connection, stmt::DeleteItem(Table::RiNext, id));
        SetFieldValue(rs, QStringLiteral("nr"), QStringLiteral("changed"));
        try {
            StoreRow(rs);
            QFAIL("StoreRow on a deleted row must raise");
        } catch (const DatabaseError& e) {
            QCOMPARE(e.code(), kRowGoneError);
        }
        QCOMPARE(CountRows(db.connection, Table::RiNext), 0);
    }

    void readingPastTheEndRaises()
    {
        TempDatabase db;
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SelectAll(Table::Tx), db.connection);
        QVERIFY(IsAtEnd(rs));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, GetFieldValue(rs, QStringLiteral("ming")));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, MoveToNext(rs));
        QVERIFY_THROWS_EXCEPTION(DatabaseError, SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("x")));
    }

    void transactionRollsBackUnlessCommitted()
    {
        TempDatabase db;
        {
            Transaction t(db.connection);
            AddItem(db.connection, 1, QStringLiteral("inside"));
        }
        QCOMPARE(CountRows(db.connection, Table::RiNext), 0);
        {
            Transaction t(db.connection);
            AddItem(db.connection, 1, QStringLiteral("inside"));
            t.commit();
        }
        QCOMPARE(CountRows(db.connection, Table::RiNext), 1);
    }

    void secondConnectionSeesStoredRowsAtOnce()
    {
        TempDatabase db;
        ConnectionHolder other;
        OpenDatabase(other, db.path());
        AddItem(db.connection, 1, QStringLiteral("from the first"));
        QCOMPARE(CountRows(other, Table::RiNext), 1);
    }
};

QTEST_GUILESS_MAIN(TestRecordAccess)
#include "tst_record_access.moc"
