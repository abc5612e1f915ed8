#pragma once

#include "shell/work_log.h"
#include "sync/change_file.h"

#include <QString>

namespace jotrak {

class ConnectionHolder;

struct ApplyOutcome {
    OutsideChanges changes;
    // changes of one text made on two computers at once, both texts kept
    int conflicts = 0;
};

// The line between two texts of one field changed on two computers at once:
// the newer text above it, the other below.
QString SyncConflictLine();

// Applies another computer's file (or one of this computer's own that the log
// lacks, after a restore) in one transaction, and notes it in SyncApplied. A
// goal is found by its key, an item or scheme by its uid. Each field keeps the
// value of its newest change (its stamp); a text changed here and there
// meanwhile keeps the other text too, under SyncConflictLine(). Changed on one
// computer and deleted on the other: the change wins. Applying a file again
// changes nothing. Raises DatabaseError
// when the file cannot be applied; then nothing of it is.
// thisDevice: the computer applying, whose rows nobody stamped count as its own
// of the earliest time.
ApplyOutcome ApplyChangeFile(ConnectionHolder& connection, const ChangeFile& file, const QString& thisDevice);

} // namespace jotrak
