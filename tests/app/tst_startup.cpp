#include "support/app_fixture.h"
#include "support/database.h"

#include "app/translation.h"
#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/today_line.h"
#include "data/seed.h"

#include <QLabel>
#include <QTimeZone>

using namespace jotrak;
using namespace jotrak::test;

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    // A start in 2040 on a file of 2018 to 2037 finds today's rows.
    void aFileOfTwentyYearsGrowsWithTheClock()
    {
        AppFixtureOptions options;
        options.now = QDateTime(QDate(2040, 6, 15), QTime(9, 0));
        options.prepare = [](const QString& dataDir) {
            ConnectionHolder connection;
            OpenDatabase(connection, DatabaseFile(dataDir));
            SeedPeriodTables(connection);
        };
        AppFixture fx(options);
        QCOMPARE(CountRows(fx.db(), Table::Ri), 8766);
        QCOMPARE(fx.app().DayKeyEdit->text(), QStringLiteral("20400615"));
        QVERIFY(AppFixture::messages().isEmpty()); // no "not found" for today's goals
    }

    // Qt's own texts read Chinese: standard buttons, file dialogs, the replace
    // prompt, the edit boxes' context menus.
    void qtsOwnTextsReadChinese()
    {
        QVERIFY(InstallQtTranslation());
        const char* const texts[][3] = {
            {"QFileDialog", "Look in:", "查找范围："},
            {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 已存在。\n您想要替换它吗？"},
            {"QPlatformTheme", "Cancel", "取消"},
            {"QPlatformTheme", "&Yes", "是(&Y)"},
            {"QPlatformTheme", "&No", "否(&N)"},
            {"QLineEdit", "&Copy", "复制(&C)"},
            {"QWidgetTextControl", "&Copy", "复制(&C)"}};
        for (const auto& text : texts)
            QCOMPARE(QCoreApplication::translate(text[0], text[1]), QString::fromUtf8(text[2]));
    }

    // The clock moves while the program runs (by the minute timer, or seen on
    // activation): the day line, the keys, the goals and the reminders follow,
    // except a key box the user changed and a day goal being typed ("box=typed").
    void theWindowFollowsTheDate_data()
    {
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("goals");
        QTest::addColumn<QString>("reminders");
        const auto at = [](int y, int m, int d, QTime time, int zone = 8) {
            return QDateTime(QDate(y, m, d), time, QTimeZone(zone * 3600));
        };
        const QTime late(23, 59, 59), early(0, 0, 1);
        const char* none = "今日无必需提醒";
        const char* newYear = "[本日提醒]:元旦\n";
        const char* lunarFirst = "[本日提醒]:四月初一\n[本日提醒]:初一\n";
        using Row = std::tuple<const char*, QDateTime, QDateTime, const char*, const char*, const char*, const char*>;
        const Row rows[] = {
            {"ordinary day", at(2018, 3, 14, late), at(2018, 3, 15, early), "", "2018 201803 20180315",
             "||goal 20180315", none},
            {"31 December", at(2018, 12, 31, late), at(2019, 1, 1, early), "", "2019 201901 20190101",
             "goal 2019|goal 201901|goal 20190101", newYear},
            {"lunar month", at(2020, 4, 22, late), at(2020, 4, 23, early), "", "2020 202004 20200423",
             "||goal 20200423", lunarFirst},
            {"leap lunar month", at(2020, 5, 22, late), at(2020, 5, 23, early), "", "2020 202005 20200523",
             "||goal 20200523", lunarFirst},
            {"a year the file does not hold", at(2037, 12, 31, late), at(2038, 1, 1, early), "", "2038 203801 20380101",
             "||", newYear},
            {"time zone moves the date back, seen on activation", at(2018, 4, 1, QTime(0, 30), 9),
             at(2018, 3, 31, QTime(23, 30)), "", "2018 201803 20180331", "|goal 201803|goal 20180331", none},
            {"unsaved day goal", at(2018, 12, 31, late), at(2019, 1, 1, early), "DayGoalEdit=draft",
             "2019 201901 20181231", "goal 2019|goal 201901|draft", none},
            {"month key changed", at(2018, 12, 31, late), at(2019, 1, 1, early), "MonthKeyEdit=201805",
             "2019 201805 20190101", "goal 2019||goal 20190101", newYear},
        };
        for (const auto& [name, before, after, type, keys, goals, reminders] : rows)
            QTest::newRow(name) << before << after << QString::fromUtf8(type) << QString::fromUtf8(keys)
                                << QString::fromUtf8(goals) << QString::fromUtf8(reminders);
    }
    void theWindowFollowsTheDate()
    {
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(QString, type);
        QFETCH(QString, keys);
        QFETCH(QString, goals);
        QFETCH(QString, reminders);
        AppFixtureOptions options;
        options.now = before;
        AppFixture fx(options);
        AppContext& app = fx.app();
        for (const char* scheme : {"L0401=四月初一", "G0101=元旦", "L01=初一"})
            AddScheme(fx.db(), QString::fromUtf8(scheme));
        const QDate day = after.date();
        for (const auto& [table, key] : {std::pair{Table::Nian, QString::number(day.year())},
                                         {Table::Yue, FormatMonthKey(day.year(), day.month())},
                                         {Table::Ri, FormatDayKey(day.year(), day.month(), day.day())}})
            SetGoal(fx.db(), table, key, QStringLiteral("goal ") + key);
        if (!type.isEmpty()) {
            const QStringList typed = type.split(u'=');
            if (auto* key = fx.control<QLineEdit>(typed[0]))
                key->selectAll();
            else
                fx.control<QPlainTextEdit>(typed[0])->moveCursor(QTextCursor::End);
            QTest::keyClicks(fx.control<QWidget>(typed[0]), typed[1]);
        }
        QVERIFY(QTest::qWaitForWindowActive(fx.window())); // no activation still pending
        Clock::SetForTest(after);
        if (QByteArray(QTest::currentDataTag()).contains("activation")) {
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(fx.window(), &activate);
        }
        QTRY_COMPARE_WITH_TIMEOUT(fx.control<QLabel>(QStringLiteral("TodayLabel"))->text(), BuildTodayLine(CRiLi()),
                                  3000);
        QCOMPARE(app.YearKeyEdit->text() + u' ' + app.MonthKeyEdit->text() + u' ' + app.DayKeyEdit->text(), keys);
        QCOMPARE(app.YearGoalEdit->toPlainText() + u'|' + app.MonthGoalEdit->toPlainText() + u'|' +
                     app.DayGoalEdit->toPlainText(),
                 goals);
        QCOMPARE(app.ReminderEdit->toPlainText(), reminders);
        QVERIFY(app.ItemList->isHidden());
        QVERIFY(AppFixture::messages().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
