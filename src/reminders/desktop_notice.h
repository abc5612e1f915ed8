#pragma once

#include <QStringList>

namespace jotrak {

// The setting (设置) that sends reminders to the desktop as well; on unless turned off.
inline constexpr char kDesktopNotificationsKey[] = "Reminders/DesktopNotifications";
bool DesktopNotificationsOn();
void SetDesktopNotificationsOn(bool on);

// Shows the lines as one notification, titled 今日提醒, through the desktop's
// notification service (org.freedesktop.Notifications on the session bus).
// Nothing is sent for no lines or with the setting off. The call does not
// wait for the service: none running, or one that fails, changes nothing.
// Returns whether the notification was handed to the bus.
bool NotifyReminders(const QStringList& lines);

} // namespace jotrak
