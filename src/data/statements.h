#pragma once

#include "data/keys.h"
#include "data/value.h"

#include <QString>

#include <vector>

namespace jotrak {

// One statement the program sends: SQL text with '?' placeholders, the values
// bound to them, and the one table it reads or changes. User texts (keys,
// contents) are always bound, never pasted into the SQL.
struct Statement {
    QString sql;
    std::vector<Value> params;
    Table table = Table::Nian;
};

// Every statement the program can send, in one place.
namespace stmt {

// Every row of a table in IDME order; AnyRow: one row at most (the seeding's test for emptiness).
Statement SelectAll(Table table);
Statement AnyRow(Table table);
// A table opened only to append rows: reads no existing row, so adding one
// item costs the same however many the table holds.
Statement ForAppending(Table table);
// The years a new period table holds a row for.
inline constexpr int kFirstSeededYear = 2018;
inline constexpr int kLastSeededYear = 2037;
// Appends a row for every key of a period table (Nian, Yue or Ri) from
// kFirstSeededYear to kLastSeededYear, ascending, with no text: one statement
// without parameters, where a row at a time made the first start wait.
Statement SeedPeriodKeys(Table periodTable);
// The greatest key of a goal table among those of its own shape (4, 6 or 8 digits).
Statement LastGoalKey(Table goalTable);
// The goal with an id.
Statement GoalById(Table goalTable, int goalId);
// The goal with a key, the key bound as a parameter and compared exactly.
Statement GoalByKey(Table goalTable, const QString& key);
// The items of one goal, in IDME order; then those done, and those not done.
Statement ItemsOfGoal(Table goalTable, int goalId);
Statement DoneItemsOfGoal(Table goalTable, int goalId);
Statement OpenItemsOfGoal(Table goalTable, int goalId);
// One item of an item table by id; its deletion.
Statement ItemById(Table itemTable, int itemId);
Statement DeleteItem(Table itemTable, int itemId);
// The launcher rows of table An in IDME order; one by its button number.
Statement SelectLaunchers();
Statement LauncherById(int buttonNumber);
// The reminder schemes of table Tx in IDME order; one by id; its deletion.
Statement SelectSchemes();
Statement SchemeById(int schemeId);
Statement DeleteScheme(int schemeId);
// The goals whose keys lie between first and last (both included), in key order.
Statement GoalsBetween(Table goalTable, const QString& first, const QString& last);

} // namespace stmt
} // namespace jotrak
