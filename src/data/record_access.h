#pragma once

#include "data/database_error.h"
#include "data/statements.h"
#include "data/value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace jotrak {

class ConnectionHolder;

// Told of the outermost transactions of a connection: beforeCommit runs inside
// the transaction, just before COMMIT, so what it writes is kept or lost with
// the change itself (the changes a computer sends to its other computers).
class CommitObserver {
public:
    virtual ~CommitObserver() = default;
    virtual void beforeCommit(ConnectionHolder& connection) = 0;
    virtual void afterCommit() noexcept {}
    virtual void afterRollback() noexcept {}
};

// The database connection shared by the whole program. Releases itself on
// every path; holds a small cache of prepared statements.
class ConnectionHolder {
public:
    ConnectionHolder() = default;
    ~ConnectionHolder();
    ConnectionHolder(const ConnectionHolder&) = delete;
    ConnectionHolder& operator=(const ConnectionHolder&) = delete;
    // A connection opened on one thread and used on another: the engine
    // serializes each connection, and the one moved from is left closed.
    ConnectionHolder& operator=(ConnectionHolder&& other) noexcept;

    bool isOpen() const { return db != nullptr && open; }
    const QString& path() const { return path_; }
    sqlite3* handle() const { return db; }

    // internal to the record-access layer
    sqlite3_stmt* prepared(const QString& sql);
    void clearCache();
    int savepointDepth = 0;
    // a newly appended row of each table as the engine fills it (column, value)
    std::map<Table, std::vector<std::pair<QString, Value>>> newRowDefaults;
    // why a file of an older version stayed at it when opened; empty otherwise
    QString upgradeFailure;
    // whether each commit brings the short-word search index up to date
    // (search_grams.h): a file of version 3 open for writing
    bool drainsGramQueue = false;
    // told of each outermost commit and rollback; released before the connection closes
    std::unique_ptr<CommitObserver> observer;
    // whether a lone change gets a transaction of its own, for the work done before commit
    bool wrapsChanges() const { return drainsGramQueue || observer != nullptr; }

private:
    friend void CreateConnection(ConnectionHolder&);
    friend void OpenDatabase(ConnectionHolder&, const QString&, const std::function<void()>&);
    friend void OpenDatabaseForReading(ConnectionHolder&, const QString&);
    friend void CloseConnection(ConnectionHolder&);
    sqlite3* db = nullptr;
    bool open = false;
    QString path_;
    std::map<QString, sqlite3_stmt*> cache_;
};

// A short-lived recordset over one statement. Static cursor: rows are read
// once, when it opens. Changes go to the database by IDME when a row is stored.
class RecordsetHolder {
public:
    RecordsetHolder() = default;
    ~RecordsetHolder();
    RecordsetHolder(const RecordsetHolder&) = delete;
    RecordsetHolder& operator=(const RecordsetHolder&) = delete;

    bool isOpen() const { return open; }
    int rowCount() const { return static_cast<int>(rows.size()); }

private:
    friend void CreateRecordset(RecordsetHolder&);
    friend void OpenRecordset(RecordsetHolder&, const Statement&, ConnectionHolder&);
    friend bool IsAtEnd(RecordsetHolder&);
    friend void MoveToNext(RecordsetHolder&);
    friend Value GetFieldValue(RecordsetHolder&, const QString&);
    friend bool HasField(const RecordsetHolder&, const QString&);
    friend void SetFieldValue(RecordsetHolder&, const QString&, const Value&);
    friend void AddNewRow(RecordsetHolder&);
    friend void StoreRow(RecordsetHolder&);
    friend void CloseRecordset(RecordsetHolder&);
    friend void AbandonNewRow(RecordsetHolder&);

    bool open = false;
    ConnectionHolder* connection = nullptr;
    Table table = Table::Nian;
    QStringList columns;
    std::vector<std::vector<Value>> rows;
    std::size_t position = 0;
    std::map<int, Value> changed; // column index -> value not stored yet
    // an appended row not stored yet: it holds a transaction of its own, or lives
    // in the caller's transaction (then abandoning it deletes it again)
    enum class PendingRow { None, OwnTransaction, InCallersTransaction };
    PendingRow pendingRow = PendingRow::None;
    std::optional<DatabaseError> lastError; // why the last open failed
};

// Connection
void CreateConnection(ConnectionHolder& holder);
// Opens the Jotrak database at path. When the file does not exist it is created
// (with its folder) holding the eight tables and the 18 launcher rows. An existing
// file that is not a usable Jotrak database is never changed: DatabaseError says
// which file and what is wrong. A file of an older version is upgraded
// (upgrade.h), beforeUpgrade called first: on years of log that takes seconds.
void OpenDatabase(ConnectionHolder& holder, const QString& path, const std::function<void()>& beforeUpgrade = {});
// Makes the new log at path from newLog, the bytes of a log as this release
// creates it (copied at build time: a first start need not wait for the
// schema and the seeding), with an id of its own. False, with nothing left
// behind, when path exists, cannot be written, or newLog is not such a log:
// OpenDatabase then creates the file itself.
bool CreateDatabaseFrom(const QString& path, const QByteArray& newLog);
// Runs a statement that changes rows (a delete); its result is dropped.
void ExecuteStatement(ConnectionHolder& holder, const Statement& statement);
void CloseConnection(ConnectionHolder& holder);

// Recordset
void CreateRecordset(RecordsetHolder& holder);
// A failed open is written to standard error and leaves the recordset not open;
// the next call on it raises DatabaseError.
void OpenRecordset(RecordsetHolder& holder, const Statement& statement, ConnectionHolder& connection);
bool IsAtEnd(RecordsetHolder& holder);
void MoveToNext(RecordsetHolder& holder);
Value GetFieldValue(RecordsetHolder& holder, const QString& column);
// Whether the rows read have this column: a file opened read-only keeps the
// layout of its own version.
bool HasField(const RecordsetHolder& holder, const QString& column);
void SetFieldValue(RecordsetHolder& holder, const QString& column, const Value& value);
// Appends a row and makes it current; its IDME is readable at once. The row
// reaches the database only with StoreRow; a row never stored leaves nothing.
void AddNewRow(RecordsetHolder& holder);
// Writes the current row's changes; for an appended row, makes it permanent.
// A row that no longer exists raises DatabaseError.
void StoreRow(RecordsetHolder& holder);
void CloseRecordset(RecordsetHolder& holder);

// Reads the rows of a statement one at a time, in order, handing each to onRow
// until it returns false: for reads too long to hold at once, or to stop early.
// The statement is reset on every path, so no read lock outlives the call.
void ReadRows(ConnectionHolder& connection, const Statement& statement,
              const std::function<bool(const std::vector<Value>& row)>& onRow);

// All-or-nothing group of changes on one connection (a savepoint, so groups nest).
// Rolled back unless commit() is called.
class Transaction {
public:
    explicit Transaction(ConnectionHolder& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void commit();

private:
    ConnectionHolder& connection_;
    QByteArray name_;
    bool done_ = false;
};

// The code of "the row was deleted meanwhile".
inline constexpr int kRowGoneError = 0x10001;
inline constexpr int kNotOpenError = 0x10002;
inline constexpr int kNotJotrakFileError = 0x10003;

} // namespace jotrak
