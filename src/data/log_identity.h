#pragma once

#include <QString>
#include <QStringList>

struct sqlite3;

namespace jotrak {

class ConnectionHolder;

// Every log has an id of its own, made once when its file is created or
// upgraded to version 4 and kept inside the file, so every copy of it carries
// the id too: a backup folder shared by two logs still tells their copies
// apart. Sixteen lowercase hex digits.

// The schema step that gives a file its id.
QStringList LogIdentitySchema();

// The id of the log open on db; empty for a file of an older version or one
// that cannot be read.
QString ReadLogId(sqlite3* db);

// Gives the log open on connection the id `id` (a restored copy of an older
// release keeps the id of the log it replaced).
void WriteLogId(ConnectionHolder& connection, const QString& id);

// Gives the log open on db a new id (a copy of a new log becomes a log of its
// own). Returns the engine's words when it cannot.
QString RenewLogId(sqlite3* db);

} // namespace jotrak
