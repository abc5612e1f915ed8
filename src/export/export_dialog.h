#pragma once

#include "shell/jotrak_dialog.h"

#include <QString>

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace jotrak {

struct ExportButtonRule;

// Opens dialog 129 "目标导出" over parent (command 127).
void OpenExportDialog(QWidget* parent);

// The state of one showing of dialog 129; the opener keeps it while the dialog runs.
struct ExportDialogData {
    QWidget* dialog = nullptr;
    QLineEdit* fromEdit = nullptr; // edit 1004, first key of the range
    QLineEdit* toEdit = nullptr;   // edit 1005, last key of the range
    int filter = 0;                // ExportFilter of the workbook exports
    QString fromText;              // the typed keys, cut to the key length before an export
    QString toText;
    QString fileName; // the file chosen in the Save-As dialog
};

// Dialog 129: a range of period keys (today - 30 days to today on opening), a
// filter for the work items, and six buttons that export the year, month or day
// goals as text or their items as a workbook. Each export first asks for the
// file, then checks the range; the dialog stays open afterwards. Enter on a
// focused button presses it, elsewhere it closes the dialog with 1; Escape, 取消 and the close box with 2.
// Controls by object name: "filterAllRadio", "filterDoneRadio", "filterOpenRadio",
// "fromLabel", "fromEdit", "toLabel", "toEdit", "rangeLabel", "helpLabel",
// "exportYearGoalsButton", "exportMonthGoalsButton", "exportDayGoalsButton",
// "exportYearItemsButton", "exportMonthItemsButton", "exportDayItemsButton",
// "okButton" (hidden default), "cancelButton".
class ExportDialog : public JotrakDialog {
    Q_OBJECT
public:
    ExportDialog(QWidget* owner, ExportDialogData& data);

private:
    void BuildControls();
    void FillDefaultRange();
    void Export(const ExportButtonRule& rule);

    ExportDialogData& data_;
    QButtonGroup* filterGroup_ = nullptr;
    QPushButton* okButton_ = nullptr;
};

} // namespace jotrak
