#pragma once

#include "data/keys.h"

#include <QString>

#include <vector>

namespace jotrak {

class ConnectionHolder;

// The work items under the goals: rows of NianNext, YueNext and RiNext, each
// naming its goal by IDME. Calls take the goal table (Nian, Yue or Ri) and
// reach its item table; every call raises DatabaseError when the file fails.

// One item as it is stored; Null texts read as empty, a Null state as not done.
struct WorkItem {
    int id = 0;
    QString content;
    QString note;
    bool done = false;
};

// Which items of a goal a listing takes.
enum class ItemFilter { All, Done, Open };

// The items of one goal, in IDME order.
std::vector<WorkItem> ListWorkItems(ConnectionHolder& connection, Table goalTable, int goalId,
                                    ItemFilter filter = ItemFilter::All);
// Appends a not-done item with the content and no note under the goal; returns its IDME.
int AppendWorkItem(ConnectionHolder& connection, Table goalTable, int goalId, const QString& content);
bool WorkItemExists(ConnectionHolder& connection, Table goalTable, int itemId);
// Stores the content, note and state of an item; false, with nothing written,
// when the item is gone.
bool ChangeWorkItem(ConnectionHolder& connection, Table goalTable, int itemId, const QString& content,
                    const QString& note, bool done);
// Deletes an item; an item already gone is no error.
void RemoveWorkItem(ConnectionHolder& connection, Table goalTable, int itemId);

} // namespace jotrak
