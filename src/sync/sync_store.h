#pragma once

#include "data/keys.h"
#include "sync/change_file.h"

#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <vector>

namespace jotrak {

class ConnectionHolder;

// Every statement sync sends. Table and column names come from the fixed
// lists of synced_tables.h; values are always bound.

// The columns of a table in the order the file holds them.
QStringList TableColumns(ConnectionHolder& connection, Table table);
std::optional<QString> GoalKeyById(ConnectionHolder& connection, Table goalTable, qint64 id);
std::optional<RowValues> RowById(ConnectionHolder& connection, Table table, qint64 id);

struct LocalRow {
    qint64 id = 0;
    RowValues values;
};
// A goal by its key, an item or scheme by its uid, a launcher button by its
// number: its id and the fields sync keeps.
std::optional<LocalRow> RowByName(ConnectionHolder& connection, Table table, const QString& name);
// The goal's id, its row appended (with no text) when the log has no such key.
qint64 EnsureGoal(ConnectionHolder& connection, Table goalTable, const QString& key);
qint64 InsertRow(ConnectionHolder& connection, Table table, const RowValues& values);
void UpdateRow(ConnectionHolder& connection, Table table, qint64 id, const RowValues& values);
void DeleteRow(ConnectionHolder& connection, Table table, qint64 id);

std::map<QString, qint64> ReadApplied(ConnectionHolder& connection);
void WriteApplied(ConnectionHolder& connection, const QString& device, qint64 seq);
void ForgetApplied(ConnectionHolder& connection, const QString& device);

std::optional<RowStamp> ReadStamp(ConnectionHolder& connection, Table table, const QString& rowName);
void WriteStamp(ConnectionHolder& connection, Table table, const QString& rowName, const RowStamp& stamp);
std::map<QString, RowStamp> ReadStamps(ConnectionHolder& connection, Table table);

struct OutboxEntry {
    qint64 id = 0;
    QByteArray body;
};
void AppendToOutbox(ConnectionHolder& connection, const QByteArray& body);
std::vector<OutboxEntry> ReadOutbox(ConnectionHolder& connection);
void RemoveFromOutbox(ConnectionHolder& connection, qint64 id);
// The id of the last change waiting, 0 when none; those up to an id removed.
qint64 LastOutboxId(ConnectionHolder& connection);
void RemoveFromOutboxUpTo(ConnectionHolder& connection, qint64 id);

// Whether the log holds anything of its user's: a goal text, an item, a
// reminder scheme or a launcher button.
bool LogHasContent(ConnectionHolder& connection);

} // namespace jotrak
