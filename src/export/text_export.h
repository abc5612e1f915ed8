#pragma once

#include "data/keys.h"
#include "export/export_result.h"

#include <QIODevice>
#include <QString>

namespace jotrak {

class ConnectionHolder;

// The goals of goalTable (Nian, Yue or Ri) whose key lies from fromKey to toKey
// (both included, compared as text, as in the spreadsheet export), in key order, as text:
// for each goal a line of 64 asterisks, its key, its text (an empty line when it
// has none), then one more line of asterisks. Every line ends in CR LF; so does
// every LF inside a goal text (a CR LF already there stays as it is, a lone CR
// is kept). The text is GB18030, which GBK programs read as GBK while keeping
// characters GBK lacks.
// A database failure gives a failure result with its message.
ExportResult ExportGoalsAsText(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                               const QString& toKey, QIODevice& out);

// The same into the file fileName, which is replaced whole (see ReplaceFileWith):
// it is never appended to, and when it cannot be written the result says so and
// any old file stays untouched.
ExportResult ExportGoalsAsText(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                               const QString& toKey, const QString& fileName);

} // namespace jotrak
