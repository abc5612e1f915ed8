#include "support/app_fixture.h"
#include "support/bytes.h"
#include "support/database.h"
#include "app/command_ids.h"
#include "calendar/clock.h"
#include "reminders/reminder_dialog.h"
#include "reminders/reminder_rules.h"
#include "reminders/reminder_text.h"
#include "reminders/scheme_editing.h"
#include "reminders/upcoming_dialog.h"

#include <QButtonGroup>
#include <QListWidget>
#include <QTimeZone>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

const QString kGone = QString::fromUtf16(kSchemeGoneMessage);

QString Lines(const QStringList& contents)
{
    QString text;
    for (const QString& content : contents) {
        text += (content.contains(u"天后:") ? QString() : QString::fromUtf16(kReminderPrefix)) + content;
        text += QStringLiteral("\r\n");
    }
    return text.isEmpty() ? QString::fromUtf16(kNoReminders) : text;
}

QStringList Entries(const QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

} // namespace

class TestReminders : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    std::unique_ptr<ReminderDialogState> state;
    std::unique_ptr<ReminderDialog> dialog;

    void open()
    {
        dialog.reset();
        state = std::make_unique<ReminderDialogState>();
        dialog = std::make_unique<ReminderDialog>(fx->window(), *state);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        AppFixture::clearMessages();
    }
    QLineEdit* edit(const char* name) { return dialog->findChild<QLineEdit*>(QLatin1String(name)); }
    void press(const char* name) { QTest::mouseClick(dialog->findChild<QAbstractButton*>(name), Qt::LeftButton); }
    void choose(int row)
    {
        QTest::mouseClick(state->list->viewport(), Qt::LeftButton, {},
                          state->list->visualItemRect(state->list->item(row)).center());
    }
    void fill(const QString& name, const QString& month, const QString& day, const QString& monthlyDay = {})
    {
        edit("nameEdit")->setText(name);
        edit("monthEdit")->setText(month);
        edit("dayEdit")->setText(day);
        edit("monthlyDayEdit")->setText(monthlyDay);
        state->contentEdit->setPlainText(name + QStringLiteral(" content"));
    }

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        open();
    }
    void cleanup()
    {
        dialog.reset();
        fx.reset();
    }

    // "<lifa><rule>[+days ahead]=content": G Gregorian, L or a non-zero digit lunar; at 02:00 on 2018-01-21 in
    // Beijing (UTC: 20th). Due today first, then the coming ones, nearest first.
    void theDayKeyFiresItsSchemes_data()
    {
        QTest::addColumn<QStringList>("schemes");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QStringList>("fired");
        const auto row = [](const char* name, const QStringList& schemes, const char* key, const QStringList& fired) {
            QTest::newRow(name) << schemes << QString::fromLatin1(key) << fired;
        };
        row("yearly, rules without a day never", {"G0221=A", "G=e", "Gabc=x", "G00=z"}, "20180221", {"A"});
        row("lunar 30 in a 30-day month", {"L30=T"}, "20200522", {"T"});
        row("no lunar 30 in a 29-day month", {"L29=a", "L30=b"}, "20200620", {"a"});
        row("lunar 0401 in the leap fourth month", {"L0401=N"}, "20200523", {"N"});
        const QStringList both{"L1205=lunar", "G1205=gregorian", "71205=lunar as 7"};
        row("lunar 12/05", both, "20180121", {"lunar", "lunar as 7"});
        row("Gregorian 12/05", both, "20181205", {"gregorian"});
        row("05 in both calendars", {"G05=g", "L05=l"}, "20190805", {"g", "l"});
        row("IDME order", {"G15=first", "G0315=yearly", "G16=other"}, "20180315", {"first", "yearly"});
        // No real date: Gregorian schemes take the numbers as they are, lunar ones today's local date.
        row("20180230", {"G30=d30", "G0230=feb30", "L1205=today", "L1204=utcToday"}, "20180230",
            {"d30", "feb30", "today"});
        row("year only", {"G01=a", "G00=zero", "G=empty", "L1205=today"}, "2018", {"today"});
        row("18990101", {"G0101=jan1", "G01=first", "L1205=today"}, "18990101", {"jan1", "first", "today"});
        row("after the lunar tables", {"L1205=local", "L1229=last", "L0101=new year"}, "21010129", {"local"});
        row("empty content, digits then text", {"G0221=", "G21号=x"}, "20180221", {"", "x"});
        const QStringList yearEnd{"G0102+3=新年二日", "G0101=元旦"};
        row("ahead across the year end", yearEnd, "20181230", {"3 天后:新年二日"});
        row("ahead, a day too early", yearEnd, "20181229", {});
        row("due, then nearest first", {"G0105+5=c", "G0103+5=b", "G0101+5=a"}, "20190101",
            {"a", "2 天后:b", "4 天后:c"});
        row("ahead of the month before a leap month", {"L0401+30=四月初一"}, "20200420", {"3 天后:四月初一"});
        row("ahead of the leap month, nearest only", {"L0401+30=四月初一", "L01+30=初一"}, "20200424",
            {"29 天后:四月初一", "29 天后:初一"});
        row("ahead of lunar new year 2100", {"L0101+30=春节"}, "21000201", {"8 天后:春节"});
        row("not ahead past the tables", {"L0101+30=春节"}, "21010120", {});
        row("not ahead of no real date", {"G0301+30=x"}, "20180230", {});
        QStringList longOnes, longSchemes;
        for (int i = 0; i < 20; ++i) {
            longOnes << QString(3000, u'提') + QString::number(i);
            longSchemes << QStringLiteral("G0221=") + longOnes.last();
        }
        row("however long", longSchemes, "20180221", longOnes);
    }
    void theDayKeyFiresItsSchemes()
    {
        QFETCH(QStringList, schemes);
        QFETCH(QString, key);
        QFETCH(QStringList, fired);
        Clock::SetForTest(QDateTime(QDate(2018, 1, 21), QTime(2, 0), QTimeZone(8 * 3600)));
        for (const QString& scheme : schemes) {
            const qsizetype content = scheme.indexOf(u'='), plus = scheme.indexOf(u'+');
            const qsizetype rule = plus < 0 ? content : plus;
            const int lifa = scheme[0] == u'G' ? 0 : scheme[0] == u'L' ? 1 : scheme[0].digitValue();
            AppendScheme(fx->db(), {QStringLiteral("s"), scheme.mid(content + 1), scheme.mid(1, rule - 1), lifa,
                                    plus < 0 ? 0 : scheme.mid(plus + 1, content - plus - 1).toInt()});
        }
        QCOMPARE(ComposeDayReminders(fx->db(), key), Lines(fired));
    }

    // "mmdd" yearly, "dd" monthly from the leading digits; the month checked before the day.
    void theDateRuleIsComposedOrRefused()
    {
        const QString month = QString::fromUtf16(kBadMonthMessage), day = QString::fromUtf16(kBadDayMessage);
        // monthly, then the month, day and monthly day typed, and the rule or the message
        const std::tuple<bool, const char*, const char*, const char*, QString> rows[] = {
            {false, "1", "5", "abc", "0105"}, {true, "13", "99", "9", "09"},  {false, "3月", "3号", "", "0303"},
            {true, "", "", "31号", "31"},     {false, "13", "1", "1", month}, {false, "0", "1", "1", month},
            {false, "13", "32", "1", month},  {false, "12", "32", "1", day},  {false, "12", "0", "1", day},
            {true, "1", "1", "32", day},      {true, "1", "1", "", day},
        };
        for (const auto& [monthly, m, d, monthlyDay, rule] : rows) {
            const ComposedDateRule composed =
                ComposeDateRule(monthly ? Repeat::Monthly : Repeat::Yearly, QString::fromUtf8(m), QString::fromUtf8(d),
                                QString::fromUtf8(monthlyDay));
            QCOMPARE(composed.refusal ? QString::fromUtf16(composed.refusal) : composed.rule, rule);
        }
    }

    // Refused dates keep the fields; 新增 selects, 修改 corrects; each entry keeps its row when Tx changes behind.
    void eachEntryActsOnItsOwnScheme()
    {
        fill(QStringLiteral("refused"), QStringLiteral("13"), QStringLiteral("1"));
        press("addButton");
        QCOMPARE(AppFixture::texts(), QStringList{QString::fromUtf16(kBadMonthMessage)});
        QCOMPARE(edit("monthEdit")->text(), QStringLiteral("13"));
        QVERIFY(ListSchemes(fx->db()).empty());
        AppFixture::clearMessages();
        for (const char* name : {"A", "B"}) {
            fill(QString::fromLatin1(name), QStringLiteral("2"), QStringLiteral("2"));
            press("addButton");
        }
        press("lunarRadio");
        press("monthlyRadio");
        fill(QStringLiteral("C"), QStringLiteral("4"), QStringLiteral("4"), QStringLiteral("4"));
        press("addButton");
        QCOMPARE(state->selected, ListSchemes(fx->db()).at(2).id);
        QVERIFY(state->list->item(2)->isSelected());
        fill(QStringLiteral("C2"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("7"));
        press("modifyButton");
        QCOMPARE(Entries(state->list), (QStringList{"A", "B", "C2"}));
        const Scheme c = ListSchemes(fx->db()).at(2).scheme;
        QCOMPARE(c.name + c.dateRule + c.content + QString::number(c.calendar), QStringLiteral("C207C2 content1"));

        open(); // a fresh record: Gregorian, yearly, nothing selected
        QCOMPARE(state->repeatGroup->checkedId(), int(kYearlyRadio));
        choose(2);
        QCOMPARE(edit("monthlyDayEdit")->text() + edit("monthEdit")->text() + edit("dayEdit")->text(),
                 QStringLiteral("070101"));
        QCOMPARE(state->calendarGroup->checkedId(), int(kLunarRadio));
        QCOMPARE(state->repeatGroup->checkedId(), int(kMonthlyRadio));
        choose(0);
        QCOMPARE(edit("monthEdit")->text() + edit("dayEdit")->text(), QStringLiteral("0202"));

        const std::vector<StoredScheme> rows = ListSchemes(fx->db());
        RemoveScheme(fx->db(), rows[0].id); // another program
        choose(1);
        QCOMPARE(state->selected, rows[1].id);
        choose(0);
        QCOMPARE(AppFixture::texts(), QStringList{kGone});
        QCOMPARE(Entries(state->list), (QStringList{"B", "C2"}));
        RemoveScheme(fx->db(), rows[1].id);
        AppFixture::clearMessages();
        press("modifyButton");
        QCOMPARE(AppFixture::texts(), QStringList{kGone});
        QCOMPARE(Entries(state->list), QStringList{"C2"});

        choose(0);
        press("deleteButton"); // clears the fields, keeps the loaded IDME
        QCOMPARE(Entries(state->list), QStringList());
        QCOMPARE(edit("nameEdit")->text() + edit("monthEdit")->text(), QStringLiteral("01"));
        AppFixture::clearMessages();
        press("modifyButton");
        QCOMPARE(AppFixture::texts(), QStringList{kGone});
        press("deleteButton");
        QVERIFY(ListSchemes(fx->db()).empty());
    }

    // 提前 N 天: over 30 refused, the leading digits stored and shown again; 近期提醒 lists the coming days;
    // 导出日历… asks where through the save-as and writes there, a place that cannot be written is told.
    void daysAheadTheUpcomingListAndTheCalendarFile()
    {
        fill(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("5"));
        for (const char* ahead : {"31", "4天"}) {
            edit("aheadEdit")->setText(QString::fromUtf8(ahead));
            press("addButton");
        }
        QCOMPARE(AppFixture::texts(), QStringList{QString::fromUtf16(kBadDaysAheadMessage)});
        QCOMPARE(ComposeDayReminders(fx->db(), QStringLiteral("20180101")), QStringLiteral("4 天后:A content\r\n"));
        open();
        QCOMPARE(edit("aheadEdit")->text(), QStringLiteral("0"));
        choose(0);
        QCOMPARE(edit("aheadEdit")->text(), QStringLiteral("4"));
        QStringList listed;
        fx->modals.next<UpcomingDialog>([&](UpcomingDialog* d) {
            listed = Entries(d->findChild<QListWidget*>(QStringLiteral("upcomingList")));
            d->done(1);
        });
        press("upcomingButton");
        QCOMPARE(listed, QStringList{"2018年 1月 5日 (农历 11月 19号) A"});
        const QString good = fx->dataDir() + QStringLiteral("/r.ics"), bad = good + QStringLiteral("/x.ics");
        for (const QString& path : {good, bad}) {
            testing::FileDialogSeam::QueueAnswer(path);
            press("exportCalendarButton");
        }
        QCOMPARE(testing::FileDialogSeam::Requests().last().defaultSuffix, QStringLiteral("ics"));
        QCOMPARE(ReadBytes(good).count("BEGIN:VEVENT"), 10);
        QCOMPARE(AppFixture::texts().last(), QString::fromUtf8("无法写入日历文件 %1。").arg(bad));
    }

    // Enter closes with 1; the reminder box follows at the next view; a database error leaves it.
    void theDialogFromTheMainWindow()
    {
        dialog.reset();
        for (const char* focus : {"nameEdit", "contentEdit", "schemeList"}) {
            int result = 0;
            fx->modals.next<ReminderDialog>([&](ReminderDialog* d) {
                if (QByteArray(focus) == "nameEdit") {
                    d->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("new year"));
                    d->findChild<QPushButton*>(QStringLiteral("addButton"))->click(); // 0101
                }
                QWidget* target = d->findChild<QWidget*>(QLatin1String(focus));
                target->setFocus();
                QTest::keyClick(target, Qt::Key_Return);
                result = d->result();
            });
            fx->command(kCmdReminderSettings);
            QCOMPARE(result, 1);
        }
        QCOMPARE(fx->box("ReminderEdit")->toPlainText(), QString::fromUtf16(kNoReminders));
        fx->command(kCmdViewDayGoal);
        QCOMPARE(fx->box("ReminderEdit")->toPlainText(), QString::fromUtf16(kReminderPrefix) + u'\n');
        QCOMPARE(ListSchemes(fx->db()).size(), 1u);

        QCOMPARE(sqlite3_exec(fx->db().handle(), "ALTER TABLE Tx RENAME TO TxGone", nullptr, nullptr, nullptr),
                 SQLITE_OK);
        fx->db().clearCache();
        fx->command(kCmdViewDayGoal);
        QCOMPARE(fx->box("ReminderEdit")->toPlainText(), QString::fromUtf16(kReminderPrefix) + u'\n');
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(fx->modals.unexpected(), 0);
    }
};

QTEST_MAIN(TestReminders)
#include "tst_reminders.moc"
