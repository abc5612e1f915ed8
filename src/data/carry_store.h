#pragma once

#include "data/keys.h"

#include <QDate>
#include <QString>

#include <map>
#include <vector>

namespace jotrak {

class ConnectionHolder;

// Carrying open items forward (结转未完成): a copy of each chosen item, with its
// content and note and not done, goes under the current day's, month's or
// year's goal; the original stays where it was, marked with the key the copy
// went to. Every call raises DatabaseError when the file fails.

// An item that may still be carried: not done and never carried.
struct OpenItem {
    int id = 0;
    QString goalKey;
    QString content;
    QString note;
};

// The open items under the goals whose key lies from firstKey to lastKey, in
// key order, then in the order they were written.
std::vector<OpenItem> OpenItemsBetween(ConnectionHolder& connection, Table goalTable, const QString& firstKey,
                                       const QString& lastKey);

// Where items of a goal table are carried on today: today's day goal, the
// current month's or the current year's.
QString CarryDestinationKey(Table goalTable, QDate today);

struct CarryOutcome {
    int carried = 0;
    int skipped = 0; // gone, done or carried meanwhile, or not from before the destination
    QString problem; // a Chinese sentence when nothing could be carried at all
};

// Carries the items (IDME in goalTable's item table) to the goal named
// destinationKey, all in one transaction. Each item is checked again inside it,
// so an item another program finished or carried meanwhile is skipped.
CarryOutcome CarryItemsForward(ConnectionHolder& connection, Table goalTable, const std::vector<int>& itemIds,
                               const QString& destinationKey);

// The carried items of one goal: IDME -> the key their copy went to; for the
// mark an item list shows (CarriedMark in report_builder.h: "已结转 → 20261208").
std::map<int, QString> CarriedItemsOfGoal(ConnectionHolder& connection, Table goalTable, int goalId);

} // namespace jotrak
