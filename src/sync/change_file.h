#pragma once

#include "data/value.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <map>
#include <optional>

namespace jotrak {

// When and on which computer a row was last changed; the later wins, and of
// two at the same millisecond the greater computer id.
struct RowStamp {
    qint64 at = 0;
    QString device;
    bool operator==(const RowStamp&) const = default;
    bool operator<(const RowStamp& other) const { return at != other.at ? at < other.at : device < other.device; }
};

using RowValues = std::map<QString, Value>;

// One file of the sync folder: the changes one commit made on one computer (a
// changeset of SQLite's session extension and what another computer needs to
// read it), or a snapshot of a whole log. Written once under its final name,
// never changed afterwards.
struct ChangeFile {
    enum class Kind { Changes, Snapshot };
    Kind kind = Kind::Changes;
    QString device;
    QString deviceName;
    // the computer's running number of its files; 0 while the change waits in the outbox
    qint64 seq = 0;
    // milliseconds since 1970 (UTC) of the commit
    qint64 time = 0;
    // names the commit, so that a change written twice (a kill after writing) is known
    QString captureId;
    int schema = 0;
    // for each computer, the last of its files the log held when this change was made
    std::map<QString, qint64> seen;
    // each table's column names in the order of the changeset's values
    std::map<QString, QStringList> columns;
    QByteArray changeset;
    // goal table -> goal id -> key, for every goal the changes name
    std::map<QString, std::map<qint64, QString>> goalKeys;
    // table -> row id -> the whole row as committed, for every row changed but not inserted
    std::map<QString, std::map<qint64, RowValues>> rows;
    // table -> row name -> its stamp (a snapshot carries them; changes take the file's)
    std::map<QString, std::map<QString, RowStamp>> stamps;
};

QByteArray EncodeChangeFile(const ChangeFile& file);

struct ChangeFileReading {
    std::optional<ChangeFile> file;
    // why it cannot be read, in Chinese; empty when it can
    QString problem;
    // written by a newer release: waiting for it will not help
    bool fromNewerProgram = false;
};

// Reads a file written by EncodeChangeFile; a file cut short, damaged, of
// another kind or from a newer release is named for what it is.
ChangeFileReading DecodeChangeFile(const QByteArray& bytes);

} // namespace jotrak
