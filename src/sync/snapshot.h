#pragma once

#include "sync/change_capture.h"
#include "sync/change_file.h"

namespace jotrak {

// The whole log as one file: every row of the synced tables as an insert (a
// changeset the session extension makes against empty tables), seeded goals
// with no text left out, each row's stamp, and the files of every computer the
// log holds. seq is the snapshot's own number: a new computer starts from it, an
// older one merges it as if each row were a change.
// *outboxCovered: the last change waiting in the outbox that the snapshot holds.
ChangeFile MakeSnapshot(ConnectionHolder& connection, const SyncDevice& device, qint64 seq, qint64* outboxCovered);

} // namespace jotrak
