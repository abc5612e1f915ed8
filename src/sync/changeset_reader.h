#pragma once

#include "data/value.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace jotrak {

// One row change of a changeset, as SQLite's session extension wrote it: the
// values a column had before (for an update, only the changed columns and the
// primary key) and after (none for a delete).
struct ChangeEntry {
    enum class Op { Insert, Update, Delete };
    QString table;
    Op op = Op::Insert;
    std::vector<std::optional<Value>> before;
    std::vector<std::optional<Value>> after;
};

// Hands every change of a changeset to onChange in order. False, with the
// engine's words in *problem, when the changeset is damaged.
bool ReadChangeset(const QByteArray& changeset, const std::function<void(const ChangeEntry&)>& onChange,
                   QString* problem);

} // namespace jotrak
