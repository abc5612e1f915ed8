#pragma once

#include "shell/jotrak_dialog.h"

class QPushButton;

class QWidget;

namespace jotrak {

struct ReminderDialogState;

// Opens dialog 130 "提醒设置" (command 125). Every change is stored at once;
// the reminder box of the main window is not refreshed on closing.
void OpenReminderSettings(QWidget* parent);

// Dialog 130: a scheme's name, calendar, yearly or monthly date and content on
// the left, the list of schemes on the right. Enter anywhere outside a push
// button, the content box included, closes it with 1.
class ReminderDialog : public JotrakDialog {
    Q_OBJECT
public:
    // Builds the controls into `state` and runs InitReminderDialog.
    ReminderDialog(QWidget* parent, ReminderDialogState& state);

private:
    void BuildControls();
    void RunCommand(void (*operation)(ReminderDialogState&));
    void ExportCalendar();

    ReminderDialogState& state_;
    QPushButton* okButton_ = nullptr;
};

} // namespace jotrak
