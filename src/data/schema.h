#pragma once

#include <QString>
#include <QtGlobal>

struct sqlite3;

namespace jotrak {

// Version of the file layout, kept in PRAGMA user_version. Version 2 adds the
// search index (search_index.h), version 3 its words of one and two
// characters (search_grams.h), version 4 the log's id (log_identity.h),
// version 5 the days a reminder is announced ahead (Tx.tiqian), version 6 the
// marks of carried items (carried_marks.h), version 7 what sync needs
// (sync_schema.h); schema_steps.h lists every step,
// upgrade.h brings an older file up.
inline constexpr int kSchemaVersion = 7;
// PRAGMA application_id of a Jotrak file ("JoTk").
inline constexpr int kApplicationId = 0x4A6F546B;
inline constexpr int kLauncherCount = 18;

// Creates the eight tables, their indexes, the search index and the 18
// launcher rows in an empty database (the search functions added to db). Returns an empty text on success, else
// what went wrong.
QString CreateSchema(sqlite3* db);

// A copy of a new log (CreateDatabaseFrom), fileSize bytes, made this log's
// own: checked to be a whole new log of this version, given an id of its own.
// Returns an empty text when it is, else what is wrong.
QString TakeNewLogCopy(sqlite3* db, qint64 fileSize);

// Checks that an open database is a Jotrak database this release can use.
// Returns an empty text when it is, else a Chinese sentence saying what is
// wrong; when the engine itself fails (locked, damaged, unreadable) its own
// words, with its code in *engineCode.
QString CheckSchema(sqlite3* db, int* engineCode);

} // namespace jotrak
