#pragma once

#include "settings/maxim_file.h"
#include "shell/jotrak_dialog.h"

class QLineEdit;
class QListWidget;

namespace jotrak {

// Dialog 133 "格言警句设置": the maxims of gey.txt in the data folder. Choosing
// one puts it in the edit; 新增 appends the edit's text, 修改 replaces the
// chosen maxim with it, 删除 removes the chosen one; a blank maxim is refused.
// 确定 writes the file back at once (lines not changed keep their bytes) and
// hands the new list to the main window for its next choice; when the file
// cannot be written the dialog says so and stays open with the edits. 取消
// drops them. Ends with 1 or 2.
//
// Object names: "MaximListLabel", "list1009", "edit1004", "btn1011" (新增),
// "btn1012" (修改), "btn1013" (删除), "btn1" (确定, default), "btn2" (取消).
class MaximsDialog : public JotrakDialog {
    Q_OBJECT
public:
    MaximsDialog(QWidget* parent, MaximFile file);

private:
    void add();
    void modify();
    void remove();
    void save();
    void showLines(int current);
    int LastRow() const;

    MaximFile file_;
    bool changed_ = false;
    QListWidget* list_ = nullptr;
    QLineEdit* edit_ = nullptr;
};

// Reads gey.txt and opens dialog 133 over owner; a file that exists but cannot
// be read is reported and not opened.
// True when the maxims were kept (确定).
bool OpenMaximsDialog(QWidget* owner);

} // namespace jotrak
