#include "reminders/desktop_notice.h"

#include "shell/settings_store.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace jotrak {

namespace {

constexpr int kServerDecidesTimeout = -1;

} // namespace

bool DesktopNotificationsOn()
{
    return OpenSettings()->value(QLatin1String(kDesktopNotificationsKey), true).toBool();
}

void SetDesktopNotificationsOn(bool on)
{
    OpenSettings()->setValue(QLatin1String(kDesktopNotificationsKey), on);
}

bool NotifyReminders(const QStringList& lines)
{
    if (lines.isEmpty() || !DesktopNotificationsOn())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    notify << QCoreApplication::applicationName() << 0U << QString() << QString::fromUtf8("今日提醒")
           << lines.join(u'\n') << QStringList() << QVariantMap() << kServerDecidesTimeout;
    // The reply (the notification's id, or an error when no service runs) is not waited for.
    notify.setAutoStartService(true);
    return bus.send(notify);
}

} // namespace jotrak
