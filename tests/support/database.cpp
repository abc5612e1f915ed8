#include "support/database.h"
#include "data/seed.h"

#include <QFile>
#include <QMap>
#include <QSet>
#include <QTest>

#include <sqlite3.h>

namespace jotrak::test {

TempDb::TempDb(bool seeded)
{
    OpenDatabase(connection, path());
    if (seeded)
        SeedPeriodTables(connection);
}

int GoalId(ConnectionHolder& c, Table goalTable, const QString& key)
{
    return FindGoalId(c, goalTable, key).value_or(-1);
}

int SetGoal(ConnectionHolder& c, Table goalTable, const QString& key, const QString& text)
{
    return StoreGoalText(c, goalTable, key, text) ? GoalId(c, goalTable, key) : -1;
}

QString GoalText(ConnectionHolder& c, Table goalTable, const QString& key)
{
    return ReadGoalText(c, goalTable, key).value_or(QStringLiteral("<no row>"));
}

int AddItem(ConnectionHolder& c, Table goalTable, int goalId, const QString& content, const QString& note, bool done)
{
    const int id = AppendWorkItem(c, goalTable, goalId, content);
    if (!note.isEmpty() || done)
        ChangeWorkItem(c, goalTable, id, content, note, done);
    return id;
}

std::vector<WorkItem> Items(ConnectionHolder& c, Table goalTable, const QString& key)
{
    return ListWorkItems(c, goalTable, GoalId(c, goalTable, key));
}

int AddScheme(ConnectionHolder& c, const QString& written, const QString& name)
{
    const qsizetype equals = written.indexOf(u'=');
    return AppendScheme(c, {name, written.mid(equals + 1), written.mid(1, equals - 1), written.startsWith(u'L')});
}

int CountRows(ConnectionHolder& c, Table table)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), c);
    return rs.rowCount();
}

QStringList FirstColumn(sqlite3* db, const QByteArray& sql)
{
    QStringList values;
    sqlite3_exec(
        db, sql.constData(),
        [](void* out, int, char** row, char**) {
            static_cast<QStringList*>(out)->append(QString::fromUtf8(row[0] ? row[0] : ""));
            return 0;
        },
        &values, nullptr);
    return values;
}

QStringList LogContents(const QString& path)
{
    sqlite3* db = nullptr;
    QStringList contents;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        contents << FirstColumn(db, "PRAGMA user_version") << FirstColumn(db, "PRAGMA application_id")
                 << FirstColumn(db,
                                "SELECT type || ' ' || name || ' ' || ifnull(sql, '') FROM sqlite_master ORDER BY 1");
        const QStringList tables = FirstColumn(db, "SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                                   "<> 'LogIdentity' AND sql NOT LIKE 'CREATE VIRTUAL%' ORDER BY 1");
        for (const QString& table : tables) {
            const QStringList columns = FirstColumn(db, "SELECT name FROM pragma_table_info('" + table.toUtf8() + "')");
            QStringList quoted;
            for (const QString& column : columns)
                quoted << QStringLiteral("quote(\"%1\")").arg(column);
            contents << table
                     << FirstColumn(db, QStringLiteral("SELECT %1 FROM \"%2\" ORDER BY 1")
                                            .arg(quoted.join(QStringLiteral(" || ','  || ")), table)
                                            .toUtf8());
        }
    }
    sqlite3_close_v2(db);
    return contents;
}

int FileVersion(ConnectionHolder& c)
{
    return FirstColumn(c.handle(), "PRAGMA user_version").value(0, QStringLiteral("-1")).toInt();
}

QString IntegrityCheck(ConnectionHolder& c)
{
    return FirstColumn(c.handle(), "PRAGMA integrity_check").join(u'\n');
}

namespace {

// The short-word index as it should be: for each character and pair of characters of the texts (Latin A-Z
// folded, blanks left out), written as the file writes it (the hex of each code, a pair joined by 'x'),
// the number of texts that hold it.
QMap<QString, qint64> GramsOfTexts(sqlite3* db)
{
    QMap<QString, qint64> grams;
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "SELECT nr FROM Sou", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW) {
        QList<uint> codes = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))).toUcs4();
        for (uint& code : codes)
            code = code >= 'A' && code <= 'Z' ? code + 32 : code;
        const auto blank = [](uint code) { return code == ' ' || (code >= 9 && code <= 13) || code == 0x3000; };
        QSet<QString> tokens;
        for (qsizetype n = 0; n < codes.size(); ++n) {
            if (blank(codes[n]))
                continue;
            tokens << QString::number(codes[n], 16);
            if (n + 1 < codes.size() && !blank(codes[n + 1]))
                tokens << QString::number(codes[n], 16) + u'x' + QString::number(codes[n + 1], 16);
        }
        for (const QString& token : tokens)
            ++grams[token];
    }
    sqlite3_finalize(st);
    return grams;
}

// Empty when SouGram holds every character and pair of the texts in as many texts as Sou, no other, and
// nothing waits in the queue.
QString GramIndexProblem(ConnectionHolder& c)
{
    QMap<QString, qint64> indexed;
    sqlite3_exec(c.handle(), "CREATE VIRTUAL TABLE IF NOT EXISTS temp.SouGramTerms USING fts5vocab(main, SouGram, row)",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(c.handle(), "SELECT term, doc FROM temp.SouGramTerms WHERE doc > 0", -1, &st, nullptr);
    while (sqlite3_step(st) == SQLITE_ROW)
        indexed.insert(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))),
                       sqlite3_column_int64(st, 1));
    sqlite3_finalize(st);
    const QMap<QString, qint64> expected = GramsOfTexts(c.handle());
    if (indexed == expected)
        return {};
    for (auto term = expected.begin(); term != expected.end(); ++term)
        if (indexed.value(term.key()) != term.value())
            return QStringLiteral("SouGram holds %1 in %2 texts, Sou in %3")
                .arg(term.key())
                .arg(indexed.value(term.key()))
                .arg(term.value());
    return QStringLiteral("SouGram holds terms of no text");
}

} // namespace

QString SearchIndexProblem(ConnectionHolder& c)
{
    const auto single = [&](const QString& sql) {
        return FirstColumn(c.handle(), sql.toUtf8()).value(0, QStringLiteral("<failed>"));
    };
    if (sqlite3_exec(c.handle(), "INSERT INTO SouFts(SouFts) VALUES('integrity-check')", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        return QStringLiteral("integrity-check: ") + QString::fromUtf8(sqlite3_errmsg(c.handle()));
    QStringList texts;
    for (const char* goal : {"Nian", "Yue", "Ri"}) {
        texts << QStringLiteral("SELECT nr AS t FROM %1 WHERE nr <> ''").arg(QLatin1String(goal));
        for (const char* column : {"nr", "wcqk"})
            texts << QStringLiteral("SELECT i.%2 FROM %1Next i JOIN %1 g ON g.IDME = i.ShangId WHERE i.%2 <> ''")
                         .arg(QLatin1String(goal), QLatin1String(column));
    }
    const QString all = QStringLiteral("SELECT group_concat(t, char(1)) FROM (SELECT t FROM (%1) ORDER BY t)");
    const QString expected = single(all.arg(texts.join(QStringLiteral(" UNION ALL "))));
    const QString indexed = single(all.arg(QStringLiteral("SELECT nr AS t FROM Sou")));
    if (expected != indexed)
        return QStringLiteral("the index holds %1 texts, the tables %2")
            .arg(indexed.count(u'\x01') + 1)
            .arg(expected.count(u'\x01') + 1);
    QString queued = single(QStringLiteral("SELECT count(*) FROM SouQueue"));
    return queued != u"0" ? QStringLiteral("%1 texts wait in the queue").arg(queued) : GramIndexProblem(c);
}

void RunSql(const QString& path, const char* sql)
{
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    const QByteArray error = sqlite3_errmsg(db);
    sqlite3_close(db);
    QVERIFY2(rc == SQLITE_OK, error.constData());
}

// What versions 3 to 7 added beside the search triggers, dropped.
constexpr const char* kDropLaterSteps =
    "DROP TABLE IF EXISTS LogIdentity; ALTER TABLE Tx DROP COLUMN tiqian; "
    "ALTER TABLE NianNext DROP COLUMN CarriedTo; ALTER TABLE YueNext DROP COLUMN CarriedTo; "
    "ALTER TABLE RiNext DROP COLUMN CarriedTo; "
    "DROP TRIGGER IF EXISTS NianNext_uid; DROP TRIGGER IF EXISTS YueNext_uid; DROP TRIGGER IF EXISTS RiNext_uid; "
    "DROP TRIGGER IF EXISTS Tx_uid; DROP INDEX NianNext_uid; DROP INDEX YueNext_uid; DROP INDEX RiNext_uid; "
    "DROP INDEX Tx_uid; ALTER TABLE NianNext DROP COLUMN uid; ALTER TABLE YueNext DROP COLUMN uid; "
    "ALTER TABLE RiNext DROP COLUMN uid; ALTER TABLE Tx DROP COLUMN uid; "
    "DROP TABLE SyncApplied; DROP TABLE SyncOutbox; DROP TABLE SyncStamp; ";

void DropToVersion2(const QString& path)
{
    const QByteArray sql =
        QByteArray("BEGIN; DROP TRIGGER Sou_insert; DROP TRIGGER Sou_delete; DROP TRIGGER Sou_update; "
                   "DROP TABLE SouGram; DROP TABLE SouQueue; ") +
        kDropLaterSteps +
        "CREATE TRIGGER Sou_insert AFTER INSERT ON Sou BEGIN "
        "INSERT INTO SouFts(rowid, nr) VALUES (NEW.ord, NEW.nr); END;"
        "CREATE TRIGGER Sou_delete AFTER DELETE ON Sou BEGIN "
        "INSERT INTO SouFts(SouFts, rowid, nr) VALUES ('delete', OLD.ord, OLD.nr); END;"
        "CREATE TRIGGER Sou_update AFTER UPDATE ON Sou BEGIN "
        "INSERT INTO SouFts(SouFts, rowid, nr) VALUES ('delete', OLD.ord, OLD.nr); "
        "INSERT INTO SouFts(rowid, nr) VALUES (NEW.ord, NEW.nr); END;"
        "PRAGMA user_version = 2; COMMIT;";
    RunSql(path, sql.constData());
}

void DropToVersion1(const QString& path)
{
    QByteArray sql = "BEGIN;";
    sqlite3* db = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
    for (const QString& trigger : FirstColumn(db, "SELECT name FROM sqlite_master WHERE type = 'trigger'"))
        sql += "DROP TRIGGER " + trigger.toUtf8() + ';';
    sqlite3_close(db);
    sql += QByteArray("DROP TABLE SouFts; DROP TABLE Sou; DROP TABLE SouGram; DROP TABLE SouQueue; ") +
           kDropLaterSteps + "PRAGMA user_version = 1; COMMIT;";
    RunSql(path, sql.constData());
}

QString CopyAsVersion(const QString& from, const QString& to, int version)
{
    QFile::remove(to);
    if (!QFile::copy(from, to)) {
        QTest::qFail(qPrintable(QStringLiteral("cannot copy to ") + to), __FILE__, __LINE__);
        return {};
    }
    version == 2 ? DropToVersion2(to) : DropToVersion1(to);
    return to;
}

} // namespace jotrak::test
