#pragma once

#include "shell/jotrak_dialog.h"

namespace jotrak {

// 近期提醒: the days the schemes fall on in the next 60 days, read-only.
class UpcomingDialog : public JotrakDialog {
    Q_OBJECT
public:
    UpcomingDialog(QWidget* parent, const QStringList& lines);
};

// Opens it over `parent` for the schemes of Tx from today's local date.
void ShowUpcomingReminders(QWidget* parent);

} // namespace jotrak
