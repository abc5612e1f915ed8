#include "data/keys.h"
#include "reminders/reminder_rules.h"

#include <QFile>
#include <QTest>

using namespace jotrak;

class TestReminderCalendar : public QObject {
    Q_OBJECT

private slots:
    // A lunar yearly 0101 fires on exactly the lunar new years the month list gives, 2051..2100.
    void lunarNewYearFiresEveryYear()
    {
        QFile file(QFINDTESTDATA("../calendar/data/lunar_months.csv"));
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList listed;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.contains(",1,0,") && line.left(4).toInt() >= 2051 && line.left(4).toInt() <= 2100)
                listed << QString::fromLatin1(line.right(10));
        QCOMPARE(listed.size(), 50);
        QStringList fired;
        for (QDate date(2051, 1, 1); date.year() <= 2100; date = date.addDays(1))
            if (SchemeFiresOn(ReminderDayOf(FormatDayKey(date.year(), date.month(), date.day())), 1, u"0101"))
                fired << date.toString(Qt::ISODate);
        QCOMPARE(fired, listed);
    }
};

QTEST_APPLESS_MAIN(TestReminderCalendar)
#include "tst_reminder_calendar.moc"
