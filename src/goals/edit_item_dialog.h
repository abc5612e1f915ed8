#pragma once

#include "shell/jotrak_dialog.h"

#include <QString>

class QPlainTextEdit;

namespace jotrak {

// What dialog 135 receives from, and hands back to, the operation that opened it.
struct EditItemDialogData {
    QWidget* dialog = nullptr;             // these three are set when the dialog opens
    QPlainTextEdit* contentEdit = nullptr; // edit 1004
    QPlainTextEdit* noteEdit = nullptr;    // edit 1005
    QString content;
    QString note;
    bool done = false;
};

// Dialog 135 "修改工作内容与设置完成情况": edits an item's content, completion
// note and state. Ends with 1 (设   置, the record then holds both texts and the
// chosen state) or 2 (cancelled). It refuses nothing.
// Controls by object name: "okButton" (default), "cancelButton", "contentLabel",
// "contentEdit", "noteLabel", "noteEdit", "notDoneRadio", "doneRadio".
class EditItemDialog : public JotrakDialog {
    Q_OBJECT
public:
    EditItemDialog(QWidget* owner, EditItemDialogData& data);

private:
    void accept() override;

    EditItemDialogData& data_;
};

} // namespace jotrak
