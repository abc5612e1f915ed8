#pragma once

#include "data/keys.h"

#include <QString>

#include <optional>
#include <vector>

namespace jotrak {

class ConnectionHolder;

// The rows of the goal tables Nian, Yue and Ri: a key (yyyy, yyyymm or
// yyyymmdd) and its text. Every call raises DatabaseError when the file fails.

// One goal as it is stored; a Null text reads as empty.
struct Goal {
    int id = 0;
    QString key;
    QString text;
};

// The IDME of the goal named key; none when the table has no such row.
std::optional<int> FindGoalId(ConnectionHolder& connection, Table goalTable, const QString& key);
// The text of the goal named key; none when the table has no such row.
std::optional<QString> ReadGoalText(ConnectionHolder& connection, Table goalTable, const QString& key);
// Stores text (an empty text stays empty, never Null) as the goal named key;
// false, with nothing written, when the table has no such row.
bool StoreGoalText(ConnectionHolder& connection, Table goalTable, const QString& key, const QString& text);
// What a store that expected the text it replaces found.
struct GoalStoreOutcome {
    enum Result { Stored, NoSuchGoal, ChangedMeanwhile } result = Stored;
    QString storedText; // ChangedMeanwhile: the text found in place of the one expected
};
// Stores text as the goal named key only while the goal still holds expected
// (as read earlier), looked at and written in one transaction: a text another
// program stored meanwhile is never overwritten unseen. A goal that holds text
// already counts as stored.
GoalStoreOutcome StoreGoalTextIfUnchanged(ConnectionHolder& connection, Table goalTable, const QString& key,
                                          const QString& expected, const QString& text);
// The goals whose key lies from first to last (both included, compared as
// text), in key order.
std::vector<Goal> GoalsBetween(ConnectionHolder& connection, Table goalTable, const QString& first,
                               const QString& last);

} // namespace jotrak
