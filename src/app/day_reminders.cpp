#include "app/day_reminders.h"

#include "goals/period_goals.h"
#include "reminders/reminder_text.h"
#include "shell/app_context.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace jotrak {

void ShowDayReminders()
{
    AppContext& app = App();
    ViewGoal(app.DayKeyEdit, Table::Ri, app.DayGoalEdit);
    const QString text = ComposeDayReminders(app.connection, app.DayKeyEdit->text());
    app.ReminderEdit->setPlainText(text);
}

} // namespace jotrak
