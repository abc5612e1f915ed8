#include "support/bytes.h"
#include "support/database.h"
#include "backup/restore.h"
#include "data/log_identity.h"
#include "data/schema.h"
#include "data/seed.h"
#include "search/search_store.h"
#include "data/upgrade.h"
#include "data/goal_store.h"
#include "data/item_store.h"

#include <sqlite3.h>

#include <QDir>
#include <QRegularExpression>
#include <QTest>

#include <algorithm>

using namespace jotrak;
using namespace jotrak::test;

namespace {

QString LogIdOf(const QString& path)
{
    ConnectionHolder log;
    OpenDatabaseForReading(log, path);
    return ReadLogId(log.handle());
}

const QDateTime kNoon(QDate(2018, 3, 5), QTime(12, 0));

// A trigger of this connection alone that refuses one kind of change to one table.
QString Refusing(const char* when, const char* table)
{
    return QStringLiteral(
               "CREATE TEMP TRIGGER injected BEFORE %1 ON main.%2 BEGIN SELECT RAISE(ABORT, 'injected'); END")
        .arg(QLatin1String(when), QLatin1String(table));
}

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

    // A change that fails at any step leaves no transaction open: the next change is kept and another program reads it.
    void aFailedChangeLeavesNoTransactionOpen_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QString>("injection"); // a statement, or full / read-only / locked / damaged, or a restore's
        QTest::addColumn<QString>("words");     // what the message says, when the engine fails
        const char* const rows[][4] = {
            {"append: the new row", "append", "INSERT RiNext", ""},
            {"append: storing its text", "append", "UPDATE RiNext", ""},
            {"append: the search index", "append", "INSERT Sou", ""},
            {"append: disk full", "append", "full", "磁盘已满"},
            {"append: locked by another program", "append", "locked", "另一个程序占用"},
            {"append: its commit, another program reading", "append", "reading", "另一个程序占用"},
            {"change: the row", "change", "UPDATE RiNext", ""},
            {"change: the search index", "change", "UPDATE Sou", ""},
            {"change: disk full", "change", "full", ""},
            {"delete: the row", "delete", "DELETE RiNext", ""},
            {"delete: the search index", "delete", "DELETE Sou", ""},
            {"delete: read-only", "delete", "read-only", "只读"},
            {"goal text: the search index", "goal", "INSERT Sou", ""},
            {"goal text: disk full", "goal", "full", ""},
            {"seeding: the days", "seed", "INSERT Ri", ""},
            {"seeding: disk full", "seed", "full", ""},
            {"next year: the months", "extend", "INSERT Yue", ""},
            {"upgrade: a step", "upgrade", "CREATE TABLE LogIdentity (x)", ""},
            {"upgrade: disk full", "upgrade", "full", ""},
            {"opening a damaged file", "open", "damaged", "已损坏"},
            {"restore: the copy is missing", "restore", "missing", ""},
            {"restore: the copy is damaged", "restore", "damaged", ""},
            {"restore: no copy of the file before", "restore", "blocked", ""},
            {"restore: locked by another program", "restore", "locked", ""},
        };
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString::fromLatin1(row[1]) << QString::fromLatin1(row[2])
                                  << QString::fromUtf8(row[3]);
    }
    void aFailedChangeLeavesNoTransactionOpen()
    {
        QFETCH(QString, operation);
        QFETCH(QString, injection);
        QFETCH(QString, words);
        TempDb db(operation != u"seed");
        ConnectionHolder& c = db.connection;
        const QString backups = DefaultBackupFolder(db.path());
        const int goal = SetGoal(c, Table::Ri, QStringLiteral("20180101"), QStringLiteral("目标"));
        const int item = AddItem(c, Table::Ri, goal, QStringLiteral("一项"));
        const QString copy = MakeBackup(c, backups, kNoon).path;
        if (operation == u"seed")
            for (const char* table : {"Nian", "Yue", "Ri"})
                ExecuteStatement(c, {QStringLiteral("DELETE FROM %1").arg(QLatin1String(table)), {}, Table::Nian});
        if (operation == u"upgrade") { // opened at version 1: the copy before the upgrade could not be made
            CloseConnection(c);
            DropToVersion1(db.path());
            QVERIFY(WriteBytes(backups + QStringLiteral("-blocked"), "x"));
            QVERIFY(QDir().rename(backups, backups + QStringLiteral("-aside")));
            QVERIFY(QFile::rename(backups + QStringLiteral("-blocked"), backups));
            OpenDatabase(c, db.path());
            QVERIFY(QFile::remove(backups));
        }

        sqlite3* other = nullptr;
        sqlite3_stmt* reading = nullptr;
        const QStringList statement = injection.split(u' ');
        if (injection == u"full") { // no free page left inside the file either
            sqlite3_exec(c.handle(), "VACUUM", nullptr, nullptr, nullptr);
            const QByteArray sql =
                "PRAGMA max_page_count = " + FirstColumn(c.handle(), "PRAGMA page_count").value(0).toUtf8();
            sqlite3_exec(c.handle(), sql.constData(), nullptr, nullptr, nullptr);
        } else if (injection == u"read-only") {
            sqlite3_exec(c.handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        } else if (injection == u"locked" || injection == u"reading") {
            sqlite3_open(QFile::encodeName(db.path()).constData(), &other);
            if (injection == u"locked")
                sqlite3_exec(other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
            else if (sqlite3_prepare_v2(other, "SELECT * FROM Ri", -1, &reading, nullptr) == SQLITE_OK)
                sqlite3_step(reading); // a read under way holds the file until the statement ends
            sqlite3_busy_timeout(c.handle(), 20);
        } else if (injection == u"blocked") {
            QVERIFY(QDir(backups).removeRecursively() && WriteBytes(backups, "x"));
        } else if (injection == u"damaged" && operation == u"open") {
            CloseConnection(c);
            QFile file(db.path());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(file.size() / 2));
            file.write(QByteArray(file.size() / 2, '\xff'));
        } else if (injection == u"damaged") {
            QFile(copy).resize(QFileInfo(copy).size() / 2);
        } else if (statement.size() == 2) {
            QCOMPARE(sqlite3_exec(c.handle(),
                                  Refusing(qPrintable(statement[0]), qPrintable(statement[1])).toUtf8().constData(),
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
        } else if (statement.size() > 2) {
            ExecuteStatement(c, {injection, {}, Table::Nian});
        }

        const QString longText(20000, u'长');
        bool failed = false;
        try {
            if (operation == u"append")
                AppendWorkItem(c, Table::Ri, goal, longText);
            else if (operation == u"change")
                ChangeWorkItem(c, Table::Ri, item, longText, longText, true);
            else if (operation == u"delete")
                RemoveWorkItem(c, Table::Ri, item);
            else if (operation == u"goal")
                StoreGoalText(c, Table::Ri, QStringLiteral("20180102"), longText);
            else if (operation == u"seed")
                SeedPeriodTables(c);
            else if (operation == u"extend")
                ExtendPeriodTables(c, 2040);
            else if (operation == u"open") { // the damage may reach the schema itself
                OpenDatabase(c, db.path());
                for (int i = 0; i < 50; ++i)
                    AddItem(c, Table::Ri, goal, longText);
            } else if (operation == u"upgrade")
                failed = !UpgradeDatabase(c).isEmpty();
            else
                failed = !RestoreBackup(c, injection == u"missing" ? copy + u'x' : copy, backups, kNoon.addSecs(60)).ok;
        } catch (const DatabaseError& error) {
            // what happened and what to do, in Chinese; the engine's words in the details, never a statement
            failed = true;
            QString sentence = error.message();
            QVERIFY2(sentence.contains(words), qPrintable(sentence));
            sentence.remove(db.path()).remove(QStringLiteral("Jotrak"));
            QVERIFY2(!sentence.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(sentence));
            QVERIFY2(error.details().startsWith(QStringLiteral("SQLite ")), qPrintable(error.details()));
            QVERIFY2(!error.details().contains(QStringLiteral("select"), Qt::CaseInsensitive),
                     qPrintable(error.details()));
        }
        QVERIFY(failed);
        if (operation == u"open")
            return;

        sqlite3_finalize(reading);
        sqlite3_close(other);
        sqlite3_exec(c.handle(),
                     "DROP TRIGGER IF EXISTS temp.injected; PRAGMA query_only = 0; PRAGMA max_page_count = 1000000",
                     nullptr, nullptr, nullptr);
        sqlite3_busy_timeout(c.handle(), 5000);
        QCOMPARE(c.savepointDepth, 0);
        const int next = AppendWorkItem(c, Table::Ri, goal, QStringLiteral("失败之后的一项"));
        ConnectionHolder reader;
        OpenDatabaseForReading(reader, db.path());
        QVERIFY(WorkItemExists(reader, Table::Ri, next));
        QCOMPARE(IntegrityCheck(reader), QStringLiteral("ok"));
        if (operation == u"upgrade")
            QCOMPARE(FileVersion(reader), 1);
        else
            QCOMPARE(SearchIndexProblem(c), QString());
    }

    // A version-1 file is upgraded in place after a copy; without a copy it stays and search reads the tables.
    void aVersion1FileIsUpgradedInPlaceAfterACopy_data()
    {
        QTest::addColumn<bool>("copyPossible");
        QTest::newRow("upgraded") << true;
        QTest::newRow("no copy possible") << false;
    }
    void aVersion1FileIsUpgradedInPlaceAfterACopy()
    {
        QFETCH(bool, copyPossible);
        TempDb db(true);
        const int goal = SetGoal(db.connection, Table::Ri, QStringLiteral("20180101"), QStringLiteral("目标"));
        SetGoal(db.connection, Table::Ri, QStringLiteral("20180102"), QStringLiteral("另一个目标"));
        AddItem(db.connection, Table::Ri, goal, QStringLiteral("事项"));
        AddItem(db.connection, Table::Ri, goal, QStringLiteral("升级前写下的工作"), QStringLiteral("完成了"), true);
        const QString backups = DefaultBackupFolder(db.path());
        const auto rows = [](ConnectionHolder& c) {
            QStringList texts{GoalText(c, Table::Ri, QStringLiteral("20180102"))};
            for (const WorkItem& item : Items(c, Table::Ri, QStringLiteral("20180101")))
                texts << QStringLiteral("%1|%2|%3|%4").arg(item.id).arg(item.content, item.note).arg(item.done);
            return texts;
        };
        const QStringList before = rows(db.connection);
        CloseConnection(db.connection);
        DropToVersion1(db.path());
        if (!copyPossible)
            QVERIFY(WriteBytes(backups, "a file where the backup folder would be"));

        OpenDatabase(db.connection, db.path());
        QCOMPARE(FileVersion(db.connection), copyPossible ? kSchemaVersion : 1);
        QCOMPARE(db.connection.upgradeFailure.isEmpty(), copyPossible);
        QCOMPARE(rows(db.connection), before);
        SearchHit found;
        const SearchSummary summary =
            SearchLog(db.connection, {QStringLiteral("升级前")}, {}, 10, [&](std::vector<SearchHit>&& hits) {
                found = hits.front();
                return true;
            });
        QCOMPARE(summary.total, 1);
        QCOMPARE(summary.indexed, copyPossible);
        QCOMPARE(found.key, QStringLiteral("20180101"));
        if (!copyPossible)
            return;
        QCOMPARE(SearchIndexProblem(db.connection), QString());
        QVERIFY(!ReadLogId(db.connection.handle()).isEmpty());
        const QStringList copies = QDir(backups).entryList({QStringLiteral("*-v1.mdb")}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        ConnectionHolder copy;
        OpenDatabaseForReading(copy, QDir(backups).filePath(copies.front()));
        QCOMPARE(FileVersion(copy), 1);
        QCOMPARE(rows(copy), before);
    }

    // A copy of a new log's file becomes the same log with an id of its own; other bytes are refused,
    // leave nothing behind, and the file is then created as always.
    void newLogsAreMadeFromACopy_data()
    {
        QTest::addColumn<bool>("taken");
        for (const auto& [name, taken] : {std::pair{"a new log", true},
                                          {"half of one", false},
                                          {"a log of version 1", false},
                                          {"not a database", false},
                                          {"nothing", false},
                                          {"a file already there", false}})
            QTest::newRow(name) << taken;
    }
    void newLogsAreMadeFromACopy()
    {
        QFETCH(bool, taken);
        const QString copy = QString::fromLatin1(QTest::currentDataTag());
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("fresh/db.mdb"));
        {
            ConnectionHolder made;
            OpenDatabase(made, fresh);
        }
        QByteArray bytes = ReadBytes(fresh);
        if (copy == u"half of one")
            bytes.truncate(bytes.size() / 2);
        else if (copy == u"a log of version 1")
            bytes = ReadBytes(CopyAsVersion(fresh, dir.filePath(QStringLiteral("old.mdb")), 1));
        else if (copy == u"not a database")
            bytes = RandomBytes(8192, 7);
        else if (copy == u"nothing")
            bytes.clear();
        const QString folder = dir.filePath(QStringLiteral("new/Dt"));
        const QString path = folder + QStringLiteral("/db.mdb");
        const bool there = copy == u"a file already there";
        if (there)
            QVERIFY(WriteBytes(path, "kept"));

        QCOMPARE(CreateDatabaseFrom(path, bytes), taken);
        QCOMPARE(QDir(folder).entryList(QDir::Files), taken || there ? QStringList{"db.mdb"} : QStringList{});
        if (there) {
            QCOMPARE(ReadBytes(path), QByteArray("kept"));
            return;
        }
        ConnectionHolder log;
        OpenDatabase(log, path);
        QCOMPARE(IntegrityCheck(log), QStringLiteral("ok"));
        QCOMPARE(LogContents(path), LogContents(fresh));
        const QString id = ReadLogId(log.handle());
        QVERIFY(!id.isEmpty());
        QVERIFY(id != LogIdOf(fresh));
    }

    // A log deleted while a change to it was under way leaves its journal; a new log made in its place,
    // made afresh or from a copy, is whole and the journal gone.
    void aJournalLeftByADeletedLogNeverReachesTheNewOne()
    {
        for (const bool fromCopy : {false, true}) {
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("Dt/db.mdb"));
            const QByteArray newLog = [&] {
                ConnectionHolder made;
                OpenDatabase(made, dir.filePath(QStringLiteral("made.mdb")));
                return ReadBytes(dir.filePath(QStringLiteral("made.mdb")));
            }();
            {
                ConnectionHolder old;
                OpenDatabase(old, path);
                sqlite3_exec(old.handle(), "BEGIN; UPDATE Ri SET nr = 'x'", nullptr, nullptr, nullptr);
                QVERIFY(QFile::copy(path + QStringLiteral("-journal"), dir.filePath(QStringLiteral("hot"))));
                sqlite3_exec(old.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            }
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(dir.filePath(QStringLiteral("hot")), path + QStringLiteral("-journal")));
            if (fromCopy)
                QVERIFY(CreateDatabaseFrom(path, newLog));
            ConnectionHolder log;
            OpenDatabase(log, path);
            QCOMPARE(IntegrityCheck(log), QStringLiteral("ok"));
            QCOMPARE(CountRows(log, Table::Ri), 7305);
            QVERIFY(!QFileInfo::exists(path + QStringLiteral("-journal")));
        }
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
            RunSql(db.path(),
                   "DELETE FROM Nian; DELETE FROM Yue; DELETE FROM Ri; INSERT INTO Nian(ming) VALUES('2030')");
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
