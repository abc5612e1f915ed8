#pragma once

#include "shell/jotrak_dialog.h"

#include <QString>

class QPlainTextEdit;
class QPushButton;

namespace jotrak {

// What dialog 134 hands back to the operation that opened it.
struct AddItemDialogData {
    QWidget* dialog = nullptr; // set when the dialog opens
    QString content;
};

// Dialog 134 "新增工作内容": asks for the content of a new work item. Ends with
// 1 when the content is not empty (blanks count as content), 2 when cancelled.
// Controls by object name: "okButton" (新  增, default), "cancelButton",
// "contentLabel", "contentEdit".
class AddItemDialog : public JotrakDialog {
    Q_OBJECT
public:
    AddItemDialog(QWidget* owner, AddItemDialogData& data);

private:
    void accept() override;

    AddItemDialogData& data_;
    QPlainTextEdit* contentEdit_ = nullptr;
};

} // namespace jotrak
