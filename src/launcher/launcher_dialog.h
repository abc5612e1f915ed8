#pragma once

#include "shell/jotrak_dialog.h"

class QListWidget;
class QLineEdit;
class QPlainTextEdit;

namespace jotrak {

// Dialog 131 "按钮设置": names and binds the 18 launcher buttons, one row of An each.
// Nothing reaches the main window's buttons until the dialog closes with 1.
class LauncherDialog : public JotrakDialog {
    Q_OBJECT
public:
    explicit LauncherDialog(QWidget* parent);

    // List 1009: one line per button, its name or, when unbound, its number.
    void FillButtonList();
    // Shows the selected button's stored name and path in edits 1004 and 1005.
    void ShowSelectedButton();
    void ChooseLauncherFile();
    void ChooseLauncherFolder();
    // 清除: "0" and an empty path; nothing is stored until 保存.
    void ClearButton();
    // 保存: stores both edits into the selected button's row, then shows the list again
    // with the same line selected.
    void SaveButton();

private:
    // The selected line of the list, -1 when none.
    int SelectedPosition() const;

    QListWidget* buttonList_ = nullptr;
    QLineEdit* nameEdit_ = nullptr;
    QPlainTextEdit* pathEdit_ = nullptr;
};

} // namespace jotrak
