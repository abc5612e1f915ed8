#pragma once

// The side log a workload writes while it changes a Jotrak database, and the
// picture of the database the log promises. A worker writes, for each change:
//   B <seq> put <table> <id> <values...>   before the change is stored
//   B <seq> del <table> <id>
//   D <seq> <id>                           once the change is stored (the id a
//                                          new row got, when the B line had -1)
// Every line is written whole and flushed to disk before the worker goes on, so
// a kill can cut at most the line being written. A reader keeps only whole lines:
// every change with its D line must be in the database; the one change begun last
// may be there completely or not at all, never in part.

#include "data/keys.h"
#include "data/value.h"

#include <QList>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace jotrak {
class ConnectionHolder;
}

namespace jotrak::reliability {

// One row without its IDME, columns in table order (see Columns()).
using Row = std::vector<Value>;
// Every row of every table, by IDME.
using DatabaseState = std::map<Table, std::map<qint64, Row>>;

// The columns after IDME of each table.
const QStringList& Columns(Table table);

// Reads all eight tables.
DatabaseState ReadState(ConnectionHolder& connection);

struct Change {
    bool remove = false;
    Table table = Table::Nian;
    qint64 id = -1; // -1: a new row whose IDME the store assigns
    Row row;        // for a put
};

// Writes a new log file, one whole line at a time, each forced to disk.
class SideLog {
public:
    explicit SideLog(const QString& path);
    ~SideLog();
    SideLog(const SideLog&) = delete;
    SideLog& operator=(const SideLog&) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // Writes the B line of a change; returns its sequence number.
    qint64 begin(const Change& change);
    void done(qint64 seq, qint64 id);

private:
    void write(const QByteArray& line);
    int fd_ = -1;
    qint64 next_ = 0;
};

// What a log promises, read back.
struct LogReading {
    std::vector<Change> stored;    // changes with their D line, in order, ids filled in
    std::optional<Change> pending; // the last change begun, when its D line is missing
    int wholeLines = 0;
    bool cutLine = false;  // the file ended inside a line
    QStringList malformed; // whole lines that could not be read
};

LogReading ReadLog(const QString& path);

// Applies stored changes to a state.
void Apply(DatabaseState& state, const Change& change);

// How far the database is from what the logs promise.
struct Comparison {
    int differingRows = 0; // rows missing, holding other values, or not promised at all
    QString firstDifference;
    bool matches() const { return differingRows == 0; }
};

// Compares the database with `expected`; when a change was pending, the database
// may instead hold `expected` with that change applied whole (a new row may then
// have any IDME not in use before). The closer of the two is reported.
Comparison CompareWithLog(const DatabaseState& actual, const DatabaseState& expected,
                          const std::optional<Change>& pending);

// Texts a person might type: apostrophes, quotes, line breaks, Chinese,
// characters outside GBK, now and then a long one.
QString SampleText(quint32 random);

} // namespace jotrak::reliability
