#pragma once

#include "data/keys.h"

#include <QString>
#include <QStringList>

#include <optional>

#include <vector>

namespace jotrak {

// The tables a log shares with its other computers and how a row is named on
// every one of them: a goal by its key (each computer seeds its own rows), an
// item or a reminder scheme by its uid, a launcher button by its number.
struct SyncedTable {
    enum class Identity { GoalKey, Uid, Number };
    Table table;
    Identity identity;
    // the columns a change carries and compares, besides the identity
    QStringList fields;
    // those of them whose two texts are both kept when two computers changed them at once
    QStringList mergedTexts;
    // for an item table: its goal table (the item follows its goal's key)
    std::optional<Table> goalTable;
};

const std::vector<SyncedTable>& SyncedTables();
const SyncedTable* FindSyncedTable(const QString& name);
const SyncedTable& SyncedTableOf(Table table);

} // namespace jotrak
