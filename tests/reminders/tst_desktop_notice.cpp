#include "reminders/desktop_notice.h"
#include "shell/settings_store.h"

#include <QDBusConnection>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;

namespace {

QString NextLine(QProcess& process)
{
    while (!process.canReadLine())
        if (!process.waitForReadyRead(20000))
            return QStringLiteral("no line: ") + QString::fromUtf8(process.readAllStandardError());
    return QString::fromUtf8(process.readLine()).trimmed();
}

} // namespace

// Runs on a private session bus (dbus-run-session, see CMakeLists.txt).
class TestDesktopNotice : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

private slots:
    void initTestCase()
    {
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        UseSettingsFile(dir.filePath(QStringLiteral("settings.ini")));
    }

    // No service yet: handed to the bus, nothing fails. Then the receiver gets exactly what is sent while on.
    void remindersReachTheNotificationService()
    {
        QVERIFY(DesktopNotificationsOn());
        QVERIFY(NotifyReminders({QStringLiteral("nobody listens")}));

        QProcess receiver;
        receiver.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(JOTRAK_NOTIFICATION_RECEIVER)});
        QCOMPARE(NextLine(receiver), QStringLiteral("ready"));

        QVERIFY(!NotifyReminders({}));
        SetDesktopNotificationsOn(false);
        QVERIFY(!NotifyReminders({QStringLiteral("turned off")}));
        SetDesktopNotificationsOn(true);
        QVERIFY(NotifyReminders({QStringLiteral("[本日提醒]:母亲生日"), QStringLiteral("3 天后:春节")}));
        QCOMPARE(NextLine(receiver),
                 QStringLiteral(R"(["tst_desktop_notice", "今日提醒", "[本日提醒]:母亲生日\n3 天后:春节"])"));
        receiver.kill();
        receiver.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestDesktopNotice)
#include "tst_desktop_notice.moc"
