#include "data/schema.h"

#include "data/log_identity.h"
#include "data/schema_steps.h"
#include "data/statements.h"

#include <sqlite3.h>

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

namespace jotrak {

namespace {

struct TableShape {
    const char* name;
    std::vector<const char*> columns;
};

const std::vector<TableShape>& Shapes()
{
    static const std::vector<TableShape> shapes = {
        {"Nian", {"IDME", "ming", "nr"}},
        {"Yue", {"IDME", "ming", "nr"}},
        {"Ri", {"IDME", "ming", "nr"}},
        {"NianNext", {"IDME", "ShangId", "nr", "wcqk", "IsOk"}},
        {"YueNext", {"IDME", "ShangId", "nr", "wcqk", "IsOk"}},
        {"RiNext", {"IDME", "ShangId", "nr", "wcqk", "IsOk"}},
        {"An", {"IDME", "ming", "wj"}},
        {"Tx", {"IDME", "ming", "nr", "shijian", "lifa"}},
    };
    return shapes;
}

constexpr const char* kCreateSql = R"sql(
CREATE TABLE Nian (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ming TEXT, nr TEXT);
CREATE TABLE Yue  (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ming TEXT, nr TEXT);
CREATE TABLE Ri   (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ming TEXT, nr TEXT);
CREATE INDEX Nian_ming ON Nian(ming);
CREATE INDEX Yue_ming ON Yue(ming);
CREATE INDEX Ri_ming ON Ri(ming);
CREATE TABLE NianNext (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ShangId INTEGER, nr TEXT, wcqk TEXT, IsOk INTEGER NOT NULL DEFAULT 0);
CREATE TABLE YueNext  (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ShangId INTEGER, nr TEXT, wcqk TEXT, IsOk INTEGER NOT NULL DEFAULT 0);
CREATE TABLE RiNext   (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ShangId INTEGER, nr TEXT, wcqk TEXT, IsOk INTEGER NOT NULL DEFAULT 0);
CREATE INDEX NianNext_ShangId ON NianNext(ShangId);
CREATE INDEX YueNext_ShangId ON YueNext(ShangId);
CREATE INDEX RiNext_ShangId ON RiNext(ShangId);
CREATE TABLE An (IDME INTEGER PRIMARY KEY, ming TEXT, wj TEXT);
CREATE TABLE Tx (IDME INTEGER PRIMARY KEY AUTOINCREMENT, ming TEXT, nr TEXT, shijian TEXT, lifa INTEGER DEFAULT 0);
)sql";

QString Utf8(const char* s)
{
    return QString::fromUtf8(s ? s : "");
}

int PragmaInt(sqlite3* db, const char* sql, bool* ok)
{
    sqlite3_stmt* st = nullptr;
    int value = 0;
    *ok = sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW;
    if (*ok)
        value = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return value;
}

// The engine's own words, its code in *engineCode.
QString EngineFailure(sqlite3* db, int* engineCode)
{
    *engineCode = sqlite3_extended_errcode(db) != SQLITE_OK ? sqlite3_extended_errcode(db) : SQLITE_ERROR;
    return Utf8(sqlite3_errmsg(db));
}

// A later step's "ALTER TABLE t ADD COLUMN c" written into t's CREATE TABLE of
// the script instead, leaving the table as the step would: each ALTER makes
// the engine read the whole schema again, which a new file need not wait for.
bool FoldAddedColumn(QString& tables, const QString& statement)
{
    static const QRegularExpression addColumn(QStringLiteral("^ALTER TABLE (\\w+) ADD COLUMN (.+)$"));
    const QRegularExpressionMatch match = addColumn.match(statement);
    if (!match.hasMatch())
        return false;
    const QRegularExpression create(QStringLiteral("CREATE TABLE %1 *\\(.*(\\));").arg(match.captured(1)));
    const QRegularExpressionMatch table = create.match(tables);
    if (!table.hasMatch())
        return false;
    tables.insert(table.capturedStart(1), QStringLiteral(", ") + match.captured(2));
    return true;
}

} // namespace

QString CreateSchema(sqlite3* db)
{
    QString tables = Utf8(kCreateSql);
    QString later;
    for (const SchemaStep& step : SchemaSteps())
        for (const QString& statement : step.statements())
            if (!FoldAddedColumn(tables, statement))
                later += statement + u';';
    QString sql = QStringLiteral("BEGIN IMMEDIATE;") + tables;
    for (int i = 1; i <= kLauncherCount; ++i)
        sql += QStringLiteral("INSERT INTO An (IDME, ming, wj) VALUES (%1, '0', '');").arg(i);
    // the keys go in before the search index is made, which then finds them as an upgrade would
    for (Table table : {Table::Nian, Table::Yue, Table::Ri})
        sql += stmt::SeedPeriodKeys(table).sql + u';';
    sql += later;
    sql += QStringLiteral("PRAGMA user_version = %1; PRAGMA application_id = %2; COMMIT;")
               .arg(kSchemaVersion)
               .arg(kApplicationId);
    char* error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = Utf8(error);
        sqlite3_free(error);
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        return text;
    }
    return {};
}

QString TakeNewLogCopy(sqlite3* db, qint64 fileSize)
{
    bool read[4] = {};
    const int version = PragmaInt(db, "PRAGMA user_version", &read[0]);
    const int applicationId = PragmaInt(db, "PRAGMA application_id", &read[1]);
    // the pages the file says it has are all there
    const qint64 size =
        qint64{PragmaInt(db, "PRAGMA page_count", &read[2])} * PragmaInt(db, "PRAGMA page_size", &read[3]);
    if (!std::all_of(std::begin(read), std::end(read), [](bool ok) { return ok; }) || version != kSchemaVersion ||
        applicationId != kApplicationId || size != fileSize)
        return QStringLiteral("not a whole new log of version %1").arg(kSchemaVersion);
    // its tables are checked once, when the log is opened
    return RenewLogId(db);
}

QString CheckSchema(sqlite3* db, int* engineCode)
{
    bool ok = false;
    const int version = PragmaInt(db, "PRAGMA user_version", &ok);
    if (!ok)
        return EngineFailure(db, engineCode);
    if (version > kSchemaVersion)
        return QString::fromUtf8("文件由更新版本的 Jotrak 创建(结构版本 %1,本程序只认识到版本 %2),请使用新版本程序打开")
            .arg(version)
            .arg(kSchemaVersion);

    QStringList missingTables;
    QStringList missingColumns;
    for (const TableShape& shape : Shapes()) {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = QByteArray("PRAGMA table_info(") + shape.name + ")";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return EngineFailure(db, engineCode);
        }
        QStringList present;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            present << Utf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 1))).toLower();
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            return EngineFailure(db, engineCode);
        if (present.isEmpty()) {
            missingTables << Utf8(shape.name);
            continue;
        }
        for (const char* column : shape.columns)
            if (!present.contains(Utf8(column).toLower()))
                missingColumns << Utf8(shape.name) + u'.' + Utf8(column);
    }
    if (missingTables.size() == static_cast<qsizetype>(Shapes().size()))
        return QString::fromUtf8("这不是 Jotrak 的数据库文件(其中没有 Jotrak 的数据表)");
    if (!missingTables.isEmpty())
        return QString::fromUtf8("数据库缺少数据表: %1").arg(missingTables.join(QStringLiteral(", ")));
    if (!missingColumns.isEmpty())
        return QString::fromUtf8("数据库缺少数据列: %1").arg(missingColumns.join(QStringLiteral(", ")));
    return {};
}

} // namespace jotrak
