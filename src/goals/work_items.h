#pragma once

#include "data/keys.h"

class QLineEdit;

namespace jotrak {

// Brings the work-item list to the front in place of the web pane.
void ShowItemList();
// Lists the items of the goal named by the key box (commands 112, 115, 118);
// the caller has set CurrentKind. A key with no goal leaves the list empty and
// no goal current.
void ViewItems(QLineEdit* keyEdit, Table goalTable);
void AddItem();    // command 120
void EditItem();   // command 121, and a double click in the list
void DeleteItem(); // command 122
// Selects the listed item whose IDME is itemId and scrolls to it; false when
// the list does not hold it.
bool MarkListedItem(int itemId);

} // namespace jotrak
