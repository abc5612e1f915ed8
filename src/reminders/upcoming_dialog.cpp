#include "reminders/upcoming_dialog.h"

#include "calendar/clock.h"
#include "reminders/reminder_text.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"

#include <QListWidget>
#include <QPushButton>

namespace jotrak {

UpcomingDialog::UpcomingDialog(QWidget* parent, const QStringList& lines)
    : JotrakDialog(parent, QString::fromUtf8("近期提醒"), 260, 200)
{
    setObjectName(QStringLiteral("upcomingDialog"));
    auto* list = Place(this, new QListWidget, "upcomingList", Dlu(7, 7, 246, 164));
    list->addItems(lines.isEmpty() ? QStringList{QString::fromUtf8("60 天内没有提醒")} : lines);
    auto* close = Place(this, new QPushButton(QString::fromUtf8("确定")), "okButton", Dlu(200, 178, 53, 15));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, [this] { done(1); });
}

void ShowUpcomingReminders(QWidget* parent)
{
    RunGuarded(parent, [parent] {
        UpcomingDialog dialog(parent,
                              UpcomingReminderLines(ListSchemes(App().log.connection()), Clock::LocalNow().date()));
        dialog.exec();
    });
}

} // namespace jotrak
