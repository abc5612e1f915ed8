#pragma once

#include <QString>
#include <QStringList>

namespace jotrak {

class ConnectionHolder;

// Version 7: what one log kept on several computers needs.
// - Column `uid` of the three item tables and of Tx: a random id that names the
//   row on every computer (IDME differs from one computer to the next). A
//   trigger gives it to every new row, whoever inserts it.
// - SyncApplied: for each computer, the last of its change files this file holds.
// - SyncOutbox: changes committed here and not yet written to the sync folder;
//   a change and its outbox row are committed together.
// - SyncStamp: when and on which computer each synced row was last changed,
//   which decides the newer of two changes made at once.
QStringList SyncSchema();

inline constexpr const char* kUidColumn = "uid";

// Whether the file has the tables above (version 7 or later, or a read-only older file without).
bool HasSyncTables(ConnectionHolder& connection);

} // namespace jotrak
