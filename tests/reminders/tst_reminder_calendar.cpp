#include "support/bytes.h"
#include "support/database.h"
#include "data/keys.h"
#include "data/schema.h"
#include "reminders/calendar_file.h"
#include "reminders/reminder_rules.h"

#include <QFile>
#include <QProcess>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;

class TestReminderCalendar : public QObject {
    Q_OBJECT

private slots:
    // A lunar yearly 0101 fires on exactly the lunar new years the month list gives, 2051..2100.
    void lunarNewYearFiresEveryYear()
    {
        QStringList listed, fired;
        for (const QByteArray& line : ReadBytes(QFINDTESTDATA("../calendar/data/lunar_months.csv")).split('\n'))
            if (line.contains(",1,0,") && line.left(4).toInt() >= 2051 && line.left(4).toInt() <= 2100)
                listed << QString::fromLatin1(line.right(10));
        QCOMPARE(listed.size(), 50);
        for (QDate date(2051, 1, 1); date.year() <= 2100; date = date.addDays(1))
            if (SchemeFiresOn(ReminderDayOf(FormatDayKey(date.year(), date.month(), date.day())), 1, u"0101"))
                fired << date.toString(Qt::ISODate);
        QCOMPARE(fired, listed);
    }

    // Ten years from 20 December 2099, read back by Python's icalendar: no 29 February in 2100, lunar days only
    // while the tables reach (to 28 January 2101); texts escaped and folded come back whole; lines of CR LF and
    // at most 75 octets, no UTF-8 sequence cut; the same UIDs in a second export.
    void calendarFileReadsBack()
    {
        const QString awkward = QStringLiteral("a,b;c\\d ") + QString(40, u'生') + QStringLiteral("\r\nline 2\nend");
        const std::vector<StoredScheme> schemes{
            {7, {QStringLiteral("闰日, 2月29日"), awkward, QStringLiteral("0229"), 0}},
            {3, {QString(), QStringLiteral("春节\r\n拜年"), QStringLiteral("0101"), 1}},
            {5, {QStringLiteral("腊月三十"), QString(), QStringLiteral("1230"), 1}},
        };
        const QDateTime stamp(QDate(2099, 12, 20), QTime(8, 0));
        const QByteArray bytes = WriteCalendarFile(schemes, stamp.date(), kCalendarYears, stamp);
        for (const QByteArray& line : bytes.split('\n').mid(0, bytes.count('\n')))
            QVERIFY2(line.endsWith('\r') && line.size() <= 76 && QString::fromUtf8(line).toUtf8() == line, line);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("r.ics"));
        QVERIFY(WriteBytes(path, bytes));
        QProcess reader;
        reader.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(JOTRAK_CALENDAR_READER), path});
        QVERIFY(reader.waitForFinished(60000));
        QVERIFY2(reader.exitCode() == 0, reader.readAllStandardError());
        const QString awkwardRead = QString(awkward)
                                        .replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                        .replace(u'\n', QStringLiteral("\\n"));
        QCOMPARE(QString::fromUtf8(reader.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{"jotrak-reminder-5-21000208 2100-02-08 2100-02-09 腊月三十|",
                              "jotrak-reminder-3-21000209 2100-02-09 2100-02-10 春节|春节\\n拜年",
                              "jotrak-reminder-7-21040229 2104-02-29 2104-03-01 闰日, 2月29日|" + awkwardRead,
                              "jotrak-reminder-7-21080229 2108-02-29 2108-03-01 闰日, 2月29日|" + awkwardRead}));
        const QByteArray again = WriteCalendarFile(schemes, stamp.date(), kCalendarYears, stamp.addDays(1));
        QCOMPARE(again.count("UID:"), 4);
        QCOMPARE(again.left(again.indexOf("DTSTAMP")), bytes.left(bytes.indexOf("DTSTAMP")));
    }

    // A file of version 1 reads 0 days ahead, also read-only; once upgraded it keeps them; stored values clamp.
    void daysAheadInOlderFiles()
    {
        TempDb db;
        const int id = AddScheme(db.connection, QStringLiteral("G0101=元旦"));
        CloseConnection(db.connection);
        DropToVersion1(db.path());
        OpenDatabaseForReading(db.connection, db.path());
        QCOMPARE(ListSchemes(db.connection).at(0).scheme.daysAhead, 0);
        CloseConnection(db.connection);
        OpenDatabase(db.connection, db.path());
        QCOMPARE(FileVersion(db.connection), kSchemaVersion);
        QVERIFY(ChangeScheme(db.connection, id, {{}, {}, QStringLiteral("0101"), 0, 7}));
        QCOMPARE(LoadScheme(db.connection, id)->daysAhead, 7);
        RunSql(db.path(), "UPDATE Tx SET tiqian = 99");
        db.connection.clearCache();
        QCOMPARE(ListSchemes(db.connection).at(0).scheme.daysAhead, kMostDaysAhead);
    }
};

QTEST_APPLESS_MAIN(TestReminderCalendar)
#include "tst_reminder_calendar.moc"
