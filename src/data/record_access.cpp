#include "data/record_access.h"

#include "data/file_safety.h"
#include "data/schema.h"
#include "data/search_grams.h"
#include "data/search_index.h"
#include "data/upgrade.h"

#include <sqlite3.h>

#include <utility>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jotrak {

namespace {

QString EngineText(sqlite3* db)
{
    return db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
}

// The engine's code and words, for the details part of a message.
QString EngineDetails(int rc, const QString& engine)
{
    return QStringLiteral("SQLite %1: %2")
        .arg(rc)
        .arg(engine.isEmpty() ? QString::fromUtf8(sqlite3_errstr(rc)) : engine);
}

[[noreturn]] void RaiseText(int code, const QString& text, const QString& details = {})
{
    throw DatabaseError(code, text, details);
}

[[noreturn]] void Raise(const ConnectionHolder* connection, int rc)
{
    const QString path = connection ? connection->path() : QString();
    RaiseText(rc, DatabaseSentence(rc, path),
              EngineDetails(rc, EngineText(connection ? connection->handle() : nullptr)));
}

void Bind(ConnectionHolder& connection, sqlite3_stmt* st, const std::vector<Value>& params)
{
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        const Value& v = params[i];
        int rc = SQLITE_OK;
        if (v.isNull()) {
            rc = sqlite3_bind_null(st, index);
        } else if (v.isInteger()) {
            rc = sqlite3_bind_int64(st, index, v.toInteger());
        } else {
            const QByteArray utf8 = v.toText().toUtf8();
            rc = sqlite3_bind_text64(st, index, utf8.constData(), static_cast<sqlite3_uint64>(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
        }
        if (rc != SQLITE_OK)
            Raise(&connection, rc);
    }
}

Value ColumnValue(sqlite3_stmt* st, int column)
{
    switch (sqlite3_column_type(st, column)) {
    case SQLITE_NULL: return Value::Null();
    case SQLITE_INTEGER: return Value(static_cast<qint64>(sqlite3_column_int64(st, column)));
    case SQLITE_FLOAT: return Value(static_cast<qint64>(sqlite3_column_double(st, column)));
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(st, column));
        return Value(QString::fromUtf8(text, sqlite3_column_bytes(st, column)));
    }
    }
}

// Resets a cached statement on every path, so no read lock outlives its use.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* st) : st_(st) {}
    ~StatementUse()
    {
        if (st_) {
            sqlite3_reset(st_);
            sqlite3_clear_bindings(st_);
        }
    }
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;
    sqlite3_stmt* get() const { return st_; }

private:
    sqlite3_stmt* st_;
};

sqlite3_stmt* Prepare(ConnectionHolder& connection, const QString& sql)
{
    if (!connection.isOpen())
        RaiseText(kNotOpenError, QString::fromUtf8("数据库没有打开,这一步无法完成。请重新启动 Jotrak。"));
    sqlite3_stmt* st = connection.prepared(sql);
    if (!st)
        Raise(&connection, sqlite3_extended_errcode(connection.handle()));
    return st;
}

// The one path every change takes: a statement run to its end; its failure raises.
int RunWrite(ConnectionHolder& connection, const QString& sql, const std::vector<Value>& params)
{
    StatementUse use(Prepare(connection, sql));
    Bind(connection, use.get(), params);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(use.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        Raise(&connection, sqlite3_extended_errcode(connection.handle()));
    return sqlite3_changes(connection.handle());
}

void ExecPlain(ConnectionHolder& connection, const QByteArray& sql)
{
    RunWrite(connection, QString::fromUtf8(sql), {});
}

// Savepoint names by depth; the outermost level is an immediate transaction so a
// second program waits for the write lock instead of deadlocking.
QByteArray BeginScope(ConnectionHolder& connection)
{
    const int depth = connection.savepointDepth;
    QByteArray name = "jotrak_sp_" + QByteArray::number(depth);
    ExecPlain(connection, depth == 0 ? QByteArray("BEGIN IMMEDIATE") : "SAVEPOINT " + name);
    ++connection.savepointDepth;
    return name;
}

void CommitScope(ConnectionHolder& connection, const QByteArray& name)
{
    const bool outermost = connection.savepointDepth == 1;
    if (outermost && connection.drainsGramQueue)
        DrainGramQueue(connection);
    if (outermost && connection.observer)
        connection.observer->beforeCommit(connection);
    ExecPlain(connection, outermost ? QByteArray("COMMIT") : "RELEASE " + name);
    --connection.savepointDepth;
    if (outermost && connection.observer)
        connection.observer->afterCommit();
}

void RollbackScope(ConnectionHolder& connection, const QByteArray& name) noexcept
{
    if (!connection.isOpen() || connection.savepointDepth <= 0)
        return;
    const bool outermost = connection.savepointDepth == 1;
    const QByteArray sql = outermost ? QByteArray("ROLLBACK") : "ROLLBACK TO " + name + "; RELEASE " + name;
    // a failed rollback leaves nothing to do: the engine has already undone the transaction
    sqlite3_exec(connection.handle(), sql.constData(), nullptr, nullptr, nullptr);
    --connection.savepointDepth;
    if (outermost && connection.observer)
        connection.observer->afterRollback();
}

int ColumnIndex(const QStringList& columns, const QString& column)
{
    for (int i = 0; i < columns.size(); ++i)
        if (columns[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QString NotJotrak(const QString& path, const QString& reason)
{
    return QString::fromUtf8("数据库文件 %1 无法使用: %2。程序没有改动这个文件。")
        .arg(QDir::toNativeSeparators(path), reason);
}

// Looks at the first bytes so that a file of another kind is named for what it is.
// A file that cannot be read at all raises the error for that.
QString ForeignFileReason(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        RaiseText(SQLITE_PERM, DatabaseSentence(SQLITE_PERM, QDir::toNativeSeparators(path)), file.errorString());
    if (file.size() == 0)
        return QString::fromUtf8("文件是空的(0 字节),不是 Jotrak 数据库");
    const QByteArray head = file.read(32);
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return {};
    if (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB")
        return QString::fromUtf8("这是一个 Access 数据库文件,Jotrak 使用 SQLite 格式,无法读取它");
    if (head.size() < 16)
        return QString::fromUtf8("文件太短(只有 %1 字节),已被截断或不是数据库").arg(head.size());
    return QString::fromUtf8("文件格式无法识别,不是 Jotrak 数据库");
}

void Configure(ConnectionHolder& connection)
{
    sqlite3_busy_timeout(connection.handle(), 5000);
    sqlite3_exec(connection.handle(), "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
}

struct AsideBuild {
    QString error; // why the file could not be made; empty when it was
    int code = SQLITE_OK;
    bool inPlace = false; // under the real name, this program's or another's made meanwhile
};

// Builds a new file aside (firstBytes, then fill on a connection to it) and
// renames it into place, so an interrupted first start never leaves a half-made
// file under the real name.
AsideBuild BuildAside(const QString& path, const QByteArray& firstBytes, const std::function<QString(sqlite3*)>& fill)
{
    RemoveLeftoversOfGoneProcesses(QFileInfo(path).absolutePath(), QStringLiteral("new"));
    const QString temp = path + AsideSuffix(QStringLiteral("new"));
    QFile::remove(temp);
    AsideBuild build;
    QFile first(temp);
    if (!firstBytes.isEmpty() &&
        (!first.open(QIODevice::WriteOnly) || first.write(firstBytes) != firstBytes.size() || !first.flush())) {
        build.error = first.errorString();
        build.code = SQLITE_CANTOPEN;
    }
    first.close();
    sqlite3* db = nullptr;
    if (build.error.isEmpty()) {
        build.code = sqlite3_open_v2(QFile::encodeName(temp).constData(), &db,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        if (build.code != SQLITE_OK) {
            build.error = EngineText(db);
        } else {
            // nobody reads it before the rename: no journal, and one sync of the whole file
            sqlite3_exec(db, "PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
            AddSearchFunctions(db);
            build.error = fill(db);
            if (!build.error.isEmpty())
                build.code = sqlite3_extended_errcode(db) != SQLITE_OK ? sqlite3_extended_errcode(db) : SQLITE_ERROR;
        }
        sqlite3_close_v2(db);
    }
    if (!build.error.isEmpty()) {
        QFile::remove(temp);
        QFile::remove(temp + QStringLiteral("-journal"));
        return build;
    }
    // a journal beside a file since deleted belongs to no file: played back into the new one, it would damage it
    if (!QFileInfo::exists(path))
        QFile::remove(path + QStringLiteral("-journal"));
    build.inPlace = SyncFile(temp) && QFile::rename(temp, path);
    if (!build.inPlace) {
        QFile::remove(temp);
        build.inPlace = QFileInfo::exists(path); // another program created it meanwhile: open that one
    }
    return build;
}

void CreateNewDatabase(const QString& path)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        RaiseText(SQLITE_CANTOPEN, QString::fromUtf8("无法创建数据文件夹 %1(没有写入权限?)。")
                                       .arg(QDir::toNativeSeparators(info.absolutePath())));
    const AsideBuild build = BuildAside(path, {}, [](sqlite3* db) { return CreateSchema(db); });
    if (!build.error.isEmpty())
        RaiseText(SQLITE_CANTOPEN,
                  QString::fromUtf8("无法创建数据库文件 %1。请检查文件夹 %2 是否允许写入,磁盘是否还有空间。")
                      .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(info.absolutePath())),
                  EngineDetails(build.code, build.error));
    if (!build.inPlace)
        RaiseText(SQLITE_CANTOPEN,
                  QString::fromUtf8("无法创建数据库文件 %1(没有写入权限?)。").arg(QDir::toNativeSeparators(path)));
}

} // namespace

// ---------------------------------------------------------------- connection

ConnectionHolder::~ConnectionHolder()
{
    observer.reset();
    clearCache();
    if (db)
        sqlite3_close_v2(db);
}

ConnectionHolder& ConnectionHolder::operator=(ConnectionHolder&& other) noexcept
{
    if (this == &other)
        return *this;
    CreateConnection(*this);
    savepointDepth = std::exchange(other.savepointDepth, 0);
    newRowDefaults = std::move(other.newRowDefaults);
    upgradeFailure = std::move(other.upgradeFailure);
    drainsGramQueue = std::exchange(other.drainsGramQueue, false);
    observer = std::move(other.observer);
    db = std::exchange(other.db, nullptr);
    open = std::exchange(other.open, false);
    path_ = std::move(other.path_);
    cache_ = std::move(other.cache_);
    other.cache_.clear();
    other.newRowDefaults.clear();
    return *this;
}

sqlite3_stmt* ConnectionHolder::prepared(const QString& sql)
{
    auto it = cache_.find(sql);
    if (it != cache_.end())
        return it->second;
    sqlite3_stmt* st = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(db, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_PREPARE_PERSISTENT, &st,
                           nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return nullptr;
    }
    cache_.emplace(sql, st);
    return st;
}

void ConnectionHolder::clearCache()
{
    for (auto& entry : cache_)
        sqlite3_finalize(entry.second);
    cache_.clear();
}

void CreateConnection(ConnectionHolder& holder)
{
    holder.observer.reset();
    holder.clearCache();
    holder.newRowDefaults.clear();
    if (holder.db)
        sqlite3_close_v2(holder.db);
    holder.db = nullptr;
    holder.open = false;
    holder.savepointDepth = 0;
}

bool CreateDatabaseFrom(const QString& path, const QByteArray& newLog)
{
    if (newLog.isEmpty() || QFileInfo::exists(path) || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    const AsideBuild build =
        BuildAside(path, newLog, [&newLog](sqlite3* db) { return TakeNewLogCopy(db, newLog.size()); });
    if (!build.error.isEmpty())
        qWarning().noquote() << "the copy of a new log was not used:" << build.error;
    return build.inPlace && build.error.isEmpty();
}

void OpenDatabase(ConnectionHolder& holder, const QString& path, const std::function<void()>& beforeUpgrade)
{
    CreateConnection(holder);
    holder.path_ = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path))
        CreateNewDatabase(path);
    else // a restore killed before its rename leaves its copy aside
        RemoveLeftoversOfGoneProcesses(QFileInfo(path).absolutePath(), QStringLiteral("restore"));

    const QString foreign = ForeignFileReason(path);
    if (!foreign.isEmpty())
        RaiseText(kNotJotrakFileError, NotJotrak(path, foreign));

    sqlite3* db = nullptr;
    // serialized: a backup may copy the file on a thread of its own meanwhile
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX,
                             nullptr);
    if (rc != SQLITE_OK) {
        const QString engine = EngineText(db);
        sqlite3_close_v2(db);
        RaiseText(rc, DatabaseSentence(rc, holder.path_), EngineDetails(rc, engine));
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    rc = SQLITE_OK;
    const QString problem = CheckSchema(db, &rc);
    if (!problem.isEmpty()) {
        sqlite3_close_v2(db);
        if (rc != SQLITE_OK)
            RaiseText(rc, DatabaseSentence(rc, holder.path_), EngineDetails(rc, problem));
        RaiseText(kNotJotrakFileError, NotJotrak(path, problem));
    }
    holder.db = db;
    holder.open = true;
    Configure(holder);
    AddSearchFunctions(db);
    holder.upgradeFailure = UpgradeDatabase(holder, beforeUpgrade);
    if (!holder.upgradeFailure.isEmpty())
        qWarning().noquote() << "the database stays at its older version:" << holder.upgradeFailure;
    holder.drainsGramQueue = HasGramIndex(holder) && sqlite3_db_readonly(db, "main") == 0;
    if (holder.drainsGramQueue) // another tool may have changed the file
        DrainGramQueue(holder);
}

void OpenDatabaseForReading(ConnectionHolder& holder, const QString& path)
{
    CreateConnection(holder);
    holder.path_ = QDir::toNativeSeparators(path);
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, 5000);
        AddSearchFunctions(db);
        const QString problem = CheckSchema(db, &rc);
        if (!problem.isEmpty()) {
            sqlite3_close_v2(db);
            if (rc == SQLITE_OK)
                RaiseText(kNotJotrakFileError, NotJotrak(path, problem));
            RaiseText(rc, DatabaseSentence(rc, holder.path_), EngineDetails(rc, problem));
        }
    } else {
        const QString engine = EngineText(db);
        sqlite3_close_v2(db);
        RaiseText(rc, DatabaseSentence(rc, holder.path_), EngineDetails(rc, engine));
    }
    holder.db = db;
    holder.open = true;
}

void ExecuteStatement(ConnectionHolder& holder, const Statement& statement)
{
    if (holder.savepointDepth > 0 || !holder.wrapsChanges()) {
        RunWrite(holder, statement.sql, statement.params);
        return;
    }
    Transaction transaction(holder); // the index follows in the same transaction
    RunWrite(holder, statement.sql, statement.params);
    transaction.commit();
}

void CloseConnection(ConnectionHolder& holder)
{
    holder.observer.reset();
    holder.clearCache();
    if (!holder.db)
        return;
    const int rc = sqlite3_close(holder.db);
    if (rc != SQLITE_OK) {
        // statements still open elsewhere: let the engine close when they finish
        sqlite3_close_v2(holder.db);
    }
    holder.db = nullptr;
    holder.open = false;
    holder.savepointDepth = 0;
}

// ----------------------------------------------------------------- recordset

RecordsetHolder::~RecordsetHolder()
{
    try {
        AbandonNewRow(*this);
    } catch (...) {
        // nothing more can be undone on the way out
    }
}

void CreateRecordset(RecordsetHolder& holder)
{
    CloseRecordset(holder);
}

namespace {

// A recordset whose open failed raises that failure again, with its code.
void RequireOpen(bool open, const std::optional<DatabaseError>& lastError)
{
    if (open)
        return;
    if (lastError)
        throw *lastError;
    RaiseText(kNotOpenError, QString::fromUtf8("记录集没有打开。"));
}

} // namespace

void OpenRecordset(RecordsetHolder& holder, const Statement& statement, ConnectionHolder& connection)
{
    CloseRecordset(holder);
    holder.open = true;
    holder.connection = &connection;
    holder.table = statement.table;
    try {
        StatementUse use(Prepare(connection, statement.sql));
        Bind(connection, use.get(), statement.params);
        sqlite3_stmt* st = use.get();
        const int count = sqlite3_column_count(st);
        for (int c = 0; c < count; ++c)
            holder.columns << QString::fromUtf8(sqlite3_column_name(st, c));
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
            std::vector<Value> row;
            row.reserve(static_cast<std::size_t>(count));
            for (int c = 0; c < count; ++c)
                row.push_back(ColumnValue(st, c));
            holder.rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE)
            Raise(&connection, sqlite3_extended_errcode(connection.handle()));
    } catch (const DatabaseError& error) {
        holder.open = false;
        holder.rows.clear();
        holder.columns.clear();
        holder.lastError = error;
        qWarning().noquote() << "OpenRecordset failed:" << error.what();
    }
}

bool IsAtEnd(RecordsetHolder& holder)
{
    RequireOpen(holder.open, holder.lastError);
    return holder.position >= holder.rows.size();
}

void MoveToNext(RecordsetHolder& holder)
{
    if (IsAtEnd(holder))
        RaiseText(SQLITE_RANGE, QString::fromUtf8("已经到了记录的末尾。"));
    ++holder.position;
}

Value GetFieldValue(RecordsetHolder& holder, const QString& column)
{
    if (IsAtEnd(holder))
        RaiseText(SQLITE_RANGE, QString::fromUtf8("没有当前记录,无法读取 %1。").arg(column));
    const int index = ColumnIndex(holder.columns, column);
    if (index < 0)
        RaiseText(SQLITE_ERROR, QString::fromUtf8("没有名为 %1 的数据列。").arg(column));
    return holder.rows[holder.position][static_cast<std::size_t>(index)];
}

bool HasField(const RecordsetHolder& holder, const QString& column)
{
    return ColumnIndex(holder.columns, column) >= 0;
}

void SetFieldValue(RecordsetHolder& holder, const QString& column, const Value& value)
{
    if (IsAtEnd(holder))
        RaiseText(kRowGoneError, QString::fromUtf8("没有当前记录,无法写入 %1(记录可能已被删除)。").arg(column));
    const int index = ColumnIndex(holder.columns, column);
    if (index < 0)
        RaiseText(SQLITE_ERROR, QString::fromUtf8("没有名为 %1 的数据列。").arg(column));
    if (holder.columns[index].compare(QStringLiteral("IDME"), Qt::CaseInsensitive) == 0)
        RaiseText(SQLITE_ERROR, QString::fromUtf8("IDME 由数据库分配,不能写入。"));
    holder.rows[holder.position][static_cast<std::size_t>(index)] = value;
    holder.changed[index] = value;
}

void AbandonNewRow(RecordsetHolder& holder)
{
    using PendingRow = RecordsetHolder::PendingRow;
    if (holder.pendingRow == PendingRow::None || !holder.connection)
        return;
    const PendingRow pending = holder.pendingRow;
    holder.pendingRow = PendingRow::None;
    ConnectionHolder& connection = *holder.connection;
    if (pending == PendingRow::OwnTransaction) {
        RollbackScope(connection, "jotrak_sp_" + QByteArray::number(connection.savepointDepth - 1));
    } else if (!holder.rows.empty() && connection.isOpen()) {
        const int idIndex = ColumnIndex(holder.columns, QStringLiteral("IDME"));
        if (idIndex >= 0)
            RunWrite(connection, QStringLiteral("DELETE FROM %1 WHERE IDME=?").arg(TableName(holder.table)),
                     {holder.rows.back()[static_cast<std::size_t>(idIndex)]});
    }
    if (!holder.rows.empty())
        holder.rows.pop_back();
    holder.position = holder.rows.size();
    holder.changed.clear();
}

void AddNewRow(RecordsetHolder& holder)
{
    RequireOpen(holder.open, holder.lastError);
    AbandonNewRow(holder);
    ConnectionHolder& connection = *holder.connection;
    // Inside a caller's transaction the row needs no transaction of its own: the
    // caller's commits or drops it, and abandoning it deletes it again.
    const bool ownTransaction = connection.savepointDepth == 0;
    const QByteArray scope = ownTransaction ? BeginScope(connection) : QByteArray();
    try {
        const QString table = TableName(holder.table);
        RunWrite(connection, QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table), {});
        const qint64 id = sqlite3_last_insert_rowid(connection.handle());
        auto defaults = connection.newRowDefaults.find(holder.table);
        if (defaults == connection.newRowDefaults.end()) {
            // the engine's defaults are read once per table and connection
            StatementUse use(Prepare(connection, QStringLiteral("SELECT * FROM %1 WHERE IDME=?").arg(table)));
            Bind(connection, use.get(), {Value(id)});
            if (sqlite3_step(use.get()) != SQLITE_ROW)
                Raise(&connection, sqlite3_extended_errcode(connection.handle()));
            std::vector<std::pair<QString, Value>> values;
            for (int c = 0; c < sqlite3_column_count(use.get()); ++c)
                values.emplace_back(QString::fromUtf8(sqlite3_column_name(use.get(), c)), ColumnValue(use.get(), c));
            defaults = connection.newRowDefaults.emplace(holder.table, std::move(values)).first;
        }
        std::vector<Value> row(static_cast<std::size_t>(holder.columns.size()));
        for (const auto& [column, value] : defaults->second) {
            const int index = ColumnIndex(holder.columns, column);
            if (index >= 0)
                row[static_cast<std::size_t>(index)] = value;
        }
        const int idIndex = ColumnIndex(holder.columns, QStringLiteral("IDME"));
        if (idIndex >= 0)
            row[static_cast<std::size_t>(idIndex)] = Value(id);
        holder.rows.push_back(std::move(row));
    } catch (...) {
        if (ownTransaction)
            RollbackScope(connection, scope);
        throw;
    }
    holder.position = holder.rows.size() - 1;
    holder.changed.clear();
    holder.pendingRow = ownTransaction ? RecordsetHolder::PendingRow::OwnTransaction
                                       : RecordsetHolder::PendingRow::InCallersTransaction;
}

void StoreRow(RecordsetHolder& holder)
{
    if (IsAtEnd(holder))
        RaiseText(kRowGoneError, QString::fromUtf8("没有当前记录可以保存(记录可能已被删除)。"));
    ConnectionHolder& connection = *holder.connection;
    const int idIndex = ColumnIndex(holder.columns, QStringLiteral("IDME"));
    if (idIndex < 0)
        RaiseText(SQLITE_ERROR, QString::fromUtf8("记录没有 IDME 列,无法保存。"));
    const Value id = holder.rows[holder.position][static_cast<std::size_t>(idIndex)];
    try {
        // a change on its own gets a transaction of its own, which the index follows
        std::optional<Transaction> own;
        if (connection.savepointDepth == 0 && connection.wrapsChanges() && !holder.changed.empty())
            own.emplace(connection);
        if (!holder.changed.empty()) {
            QStringList sets;
            std::vector<Value> params;
            for (const auto& [index, value] : holder.changed) {
                sets << holder.columns[index] + QStringLiteral("=?");
                params.push_back(value);
            }
            params.push_back(id);
            const int changes = RunWrite(
                connection,
                QStringLiteral("UPDATE %1 SET %2 WHERE IDME=?").arg(TableName(holder.table), sets.join(u',')), params);
            if (changes == 0)
                RaiseText(kRowGoneError,
                          QString::fromUtf8("要保存的记录已不存在(可能已在另一个窗口中被删除),修改没有保存。"));
        }
        if (own)
            own->commit();
        if (holder.pendingRow == RecordsetHolder::PendingRow::OwnTransaction)
            CommitScope(connection, "jotrak_sp_" + QByteArray::number(connection.savepointDepth - 1));
        holder.pendingRow = RecordsetHolder::PendingRow::None;
    } catch (...) {
        AbandonNewRow(holder);
        throw;
    }
    holder.changed.clear();
}

void ReadRows(ConnectionHolder& connection, const Statement& statement,
              const std::function<bool(const std::vector<Value>& row)>& onRow)
{
    StatementUse use(Prepare(connection, statement.sql));
    Bind(connection, use.get(), statement.params);
    sqlite3_stmt* st = use.get();
    const int count = sqlite3_column_count(st);
    std::vector<Value> row(static_cast<std::size_t>(count));
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        for (int c = 0; c < count; ++c)
            row[static_cast<std::size_t>(c)] = ColumnValue(st, c);
        if (!onRow(row))
            return;
    }
    if (rc != SQLITE_DONE)
        Raise(&connection, sqlite3_extended_errcode(connection.handle()));
}

void CloseRecordset(RecordsetHolder& holder)
{
    AbandonNewRow(holder);
    holder.open = false;
    holder.rows.clear();
    holder.columns.clear();
    holder.changed.clear();
    holder.position = 0;
    holder.lastError.reset();
}

// --------------------------------------------------------------- transaction

Transaction::Transaction(ConnectionHolder& connection) : connection_(connection), name_(BeginScope(connection)) {}

Transaction::~Transaction()
{
    if (!done_)
        RollbackScope(connection_, name_);
}

void Transaction::commit()
{
    CommitScope(connection_, name_);
    done_ = true;
}

} // namespace jotrak
