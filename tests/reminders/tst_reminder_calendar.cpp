#include "support/database.h"
#include "calendar/clock.h"
#include "data/keys.h"
#include "reminders/calendar_file.h"
#include "reminders/reminder_rules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTest>
#include <QTimeZone>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// The events of a calendar file as Python's icalendar reads them, "uid start end summary|description" each.
QStringList ReadBack(const QByteArray& bytes)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("r.ics")));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {QStringLiteral("not written")};
    file.close();
    QProcess reader;
    reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(JOTRAK_CALENDAR_READER), file.fileName()});
    if (!reader.waitForFinished(60000) || reader.exitCode() != 0)
        return {QString::fromUtf8(reader.readAllStandardError())};
    QStringList events;
    for (const QJsonValue& event : QJsonDocument::fromJson(reader.readAllStandardOutput()).array()) {
        const QJsonArray f = event.toArray();
        events << f[0].toString() + u' ' + f[1].toString() + u' ' + f[2].toString() + u' ' + f[3].toString() + u'|' +
                      f[4].toString();
    }
    return events;
}

} // namespace

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

    // Ten years from 20 December 2099: no 29 February in 2100, lunar days only while the tables reach (to
    // 28 January 2101); texts escaped and folded come back whole; a second export has the same UIDs.
    void calendarFileReadsBack()
    {
        const QString awkward = QStringLiteral("a,b;c\\d ") + QString(40, u'生') + QStringLiteral("\r\nline 2\nend");
        const std::vector<StoredScheme> schemes{
            {7, {QStringLiteral("闰日, 2月29日"), awkward, QStringLiteral("0229"), 0}},
            {3, {QString(), QStringLiteral("春节\r\n拜年"), QStringLiteral("0101"), 1}},
            {5, {QStringLiteral("腊月三十"), QString(), QStringLiteral("1230"), 1}},
        };
        const QDateTime stamp(QDate(2099, 12, 20), QTime(8, 0), QTimeZone(8 * 3600));
        const QByteArray bytes = WriteCalendarFile(schemes, stamp.date(), kCalendarYears, stamp);
        for (const QByteArray& line : bytes.split('\n').mid(0, bytes.count('\n'))) {
            QVERIFY2(line.endsWith('\r') && line.size() <= 76, line.constData());
            QVERIFY2(QString::fromUtf8(line).toUtf8() == line, line.constData()); // no UTF-8 sequence cut
        }
        const QString rest =
            QStringLiteral("|") + QString(awkward).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        QCOMPARE(ReadBack(bytes), (QStringList{
                                      "jotrak-reminder-5-21000208 2100-02-08 2100-02-09 腊月三十|",
                                      "jotrak-reminder-3-21000209 2100-02-09 2100-02-10 春节|春节\n拜年",
                                      "jotrak-reminder-7-21040229 2104-02-29 2104-03-01 闰日, 2月29日" + rest,
                                      "jotrak-reminder-7-21080229 2108-02-29 2108-03-01 闰日, 2月29日" + rest,
                                  }));
        QCOMPARE(WriteCalendarFile(schemes, stamp.date(), kCalendarYears, stamp.addDays(1)).count("UID:"),
                 bytes.count("UID:"));
    }

    // A file that cannot be written is told in Chinese, with the system's words apart.
    void calendarExportThatFails()
    {
        TempDb db;
        AddScheme(db.connection, QStringLiteral("G0101=元旦"));
        const QString path = db.dir.filePath(QStringLiteral("no/such/folder/r.ics"));
        const CalendarExportResult failed = ExportReminderCalendar(db.connection, path);
        QCOMPARE(failed.message, QString::fromUtf8("无法写入日历文件 %1。").arg(path));
        QVERIFY(!failed.details.isEmpty());
        QVERIFY(ExportReminderCalendar(db.connection, db.dir.filePath(QStringLiteral("r.ics"))).ok());
    }
};

QTEST_APPLESS_MAIN(TestReminderCalendar)
#include "tst_reminder_calendar.moc"
