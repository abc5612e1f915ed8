#include "reminders/desktop_notice.h"
#include "shell/settings_store.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;

// On a private session bus (dbus-run-session, see CMakeLists.txt). No service yet: handed to the bus, nothing
// fails. Then the stand-in service gets exactly what is sent while the setting is on.
class TestDesktopNotice : public QObject {
    Q_OBJECT

private slots:
    void remindersReachTheNotificationService()
    {
        QTemporaryDir dir;
        UseSettingsFile(dir.filePath(QStringLiteral("settings.ini")));
        QVERIFY(NotifyReminders({QStringLiteral("nobody listens")}));
        QProcess receiver;
        const auto nextLine = [&receiver] {
            while (!receiver.canReadLine())
                if (!receiver.waitForReadyRead(20000))
                    return QString::fromUtf8(receiver.readAllStandardError());
            return QString::fromUtf8(receiver.readLine()).trimmed();
        };
        receiver.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(JOTRAK_NOTIFICATION_RECEIVER)});
        QCOMPARE(nextLine(), QStringLiteral("ready"));
        QVERIFY(!NotifyReminders({}));
        SetDesktopNotificationsOn(false);
        QVERIFY(!NotifyReminders({QStringLiteral("turned off")}));
        SetDesktopNotificationsOn(true);
        QVERIFY(NotifyReminders({QStringLiteral("[本日提醒]:母亲生日"), QStringLiteral("3 天后:春节")}));
        QCOMPARE(nextLine(),
                 QStringLiteral(R"(["tst_desktop_notice", "今日提醒", "[本日提醒]:母亲生日\n3 天后:春节"])"));
        receiver.kill();
        receiver.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestDesktopNotice)
#include "tst_desktop_notice.moc"
