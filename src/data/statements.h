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

// "Select * from <table>" in IDME order; the seeding test for emptiness reads one row.
Statement SelectAll(Table table);
Statement AnyRow(Table table);
// "Select * from <table>" opened only to append rows: reads no existing row, so
// adding one item costs the same however many the table holds.
Statement ForAppending(Table table);
// The greatest key of a goal table among those of its own shape (4, 6 or 8 digits).
Statement LastGoalKey(Table goalTable);
// "Select * from %s where IDME=%d"
Statement GoalById(Table goalTable, int goalId);
// "Select * from %s where ming = '%s' "
Statement GoalByKey(Table goalTable, const QString& key);
// "Select * from %sNext where ShangId=%d" in IDME order
Statement ItemsOfGoal(Table goalTable, int goalId);
// "... and IsOk=1"
Statement DoneItemsOfGoal(Table goalTable, int goalId);
// the items of one goal that are not done
Statement OpenItemsOfGoal(Table goalTable, int goalId);
// "Select * from <item table> where IDME=%d"
Statement ItemById(Table itemTable, int itemId);
// "Delete from <item table> where IDME=%d"
Statement DeleteItem(Table itemTable, int itemId);
// "Select * from An" in IDME order
Statement SelectLaunchers();
// "Select * from An where IDME=%d"
Statement LauncherById(int buttonNumber);
// "Select * from Tx" in IDME order
Statement SelectSchemes();
// "Select * from Tx where IDME=%d"
Statement SchemeById(int schemeId);
// "Delete from Tx where IDME=%d"
Statement DeleteScheme(int schemeId);
// "Select * from %s where ming>='%s' and ming<='%s'" (both included), in key order
Statement GoalsBetween(Table goalTable, const QString& first, const QString& last);

} // namespace stmt
} // namespace jotrak
