#pragma once

#include "data/keys.h"

class QLineEdit;
class QPlainTextEdit;

namespace jotrak {

// Shows the goal named by the key box in the goal box (commands 110, 113, 116).
void ViewGoal(QLineEdit* keyEdit, Table goalTable, QPlainTextEdit* goalEdit);
// Stores the goal box as the goal named by the key box (commands 111, 114, 117);
// a key with no row is reported as ViewGoal reports it.
void ModifyGoal(QLineEdit* keyEdit, QPlainTextEdit* goalEdit, Table goalTable);

} // namespace jotrak
