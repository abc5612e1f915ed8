#include "support/app_fixture.h"
#include "support/database.h"

#include "app/translation.h"
#include "calendar/clock.h"
#include "data/seed.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QTimeZone>

using namespace jotrak;
using namespace jotrak::test;

namespace {

QDateTime At(int y, int m, int d, int h, int min, int s, int utcOffsetHours = 8)
{
    return QDateTime(QDate(y, m, d), QTime(h, min, s), QTimeZone(utcOffsetHours * 3600));
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void theContextIsTakenInOrder()
    {
        AppFixtureOptions options;
        options.now = QDateTime(QDate(2024, 2, 29), QTime(7, 45, 12));
        AppFixture fx(options);
        const AppContext& app = fx.app();
        QCOMPARE(app.exeDir, fx.exeDir());
        QCOMPARE(app.startTime, options.now);
        QCOMPARE(app.windowRect, fx.window()->frameGeometry());
        QVERIFY(app.connection.isOpen());
        QCOMPARE(app.dataDir, fx.dataDir());
        QCOMPARE(app.connection.path(), DatabaseFile(fx.dataDir()));
        QCOMPARE(app.DayKeyEdit->text(), QStringLiteral("20240229"));
    }

    // Today's year, month and day have rows on a file of 2018 to 2037 from 2038 on.
    void aFileOfTwentyYearsGrowsWithTheClock_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("years");
        QTest::addColumn<int>("days");
        QTest::newRow("2037-12-31") << QDate(2037, 12, 31) << 20 << 7305;
        QTest::newRow("2038-01-01") << QDate(2038, 1, 1) << 22 << 8035;
        QTest::newRow("2040-06-15") << QDate(2040, 6, 15) << 24 << 8766;
    }
    void aFileOfTwentyYearsGrowsWithTheClock()
    {
        QFETCH(QDate, today);
        QFETCH(int, years);
        QFETCH(int, days);
        AppFixtureOptions options;
        options.now = QDateTime(today, QTime(9, 0));
        options.prepare = [](const QString& dataDir) {
            ConnectionHolder connection;
            OpenDatabase(connection, DatabaseFile(dataDir));
            SeedPeriodTables(connection);
        };
        AppFixture fx(options);
        QCOMPARE(CountRows(fx.db(), Table::Nian), years);
        QCOMPARE(CountRows(fx.db(), Table::Ri), days);
        QCOMPARE(AppFixture::messages().size(), 0); // no "not found" for today's goals
    }

    // Qt's own texts read Chinese: standard buttons, file dialogs, the replace
    // prompt, the edit boxes' context menus.
    void qtsOwnTextsReadChinese()
    {
        QVERIFY(InstallQtTranslation());
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.show();
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("查找范围："));
        QStringList buttons;
        for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
            buttons << button->text();
        QCOMPARE(buttons, (QStringList{QStringLiteral("保存(&S)"), QStringLiteral("取消")}));
        // the replace prompt's question and buttons, the edit boxes' menus
        const char* const texts[][3] = {
            {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 已存在。\n您想要替换它吗？"},
            {"QPlatformTheme", "&Yes", "是(&Y)"},
            {"QPlatformTheme", "&No", "否(&N)"},
            {"QLineEdit", "&Copy", "复制(&C)"},
            {"QWidgetTextControl", "&Copy", "复制(&C)"}};
        for (const auto& text : texts)
            QCOMPARE(QCoreApplication::translate(text[0], text[1]), QString::fromUtf8(text[2]));
    }

    // The clock moves while the program runs; "type" is what the user typed
    // before ("DayGoalEdit=draft" appends, a key box is replaced).
    void theWindowFollowsTheDate_data()
    {
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<bool>("byTimer");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QStringList>("goals");
        QTest::addColumn<QString>("reminders");

        const QString none = QStringLiteral("今日无必需提醒");
        const QString lunarFirst = QStringLiteral("[本日提醒]:四月初一\n[本日提醒]:初一\n");
        QTest::newRow("ordinary day") << At(2018, 3, 14, 23, 59, 59) << At(2018, 3, 15, 0, 0, 1) << true << QString()
                                      << QStringLiteral("今日 2018年 3月 15日, 星期四, 农历 2018年 1月 28号, 戊戌 狗年")
                                      << QStringList{"2018", "201803", "20180315"}
                                      << QStringList{"", "", "goal 20180315"} << none;
        QTest::newRow("31 December") << At(2018, 12, 31, 23, 59, 59) << At(2019, 1, 1, 0, 0, 1) << true << QString()
                                     << QStringLiteral("今日 2019年 1月 1日, 星期二, 农历 2018年 11月 26号, 己亥 猪年")
                                     << QStringList{"2019", "201901", "20190101"}
                                     << QStringList{"goal 2019", "goal 201901", "goal 20190101"}
                                     << QStringLiteral("[本日提醒]:元旦\n");
        QTest::newRow("lunar month") << At(2020, 4, 22, 23, 59, 59) << At(2020, 4, 23, 0, 0, 1) << true << QString()
                                     << QStringLiteral("今日 2020年 4月 23日, 星期四, 农历 2020年 4月 1号, 庚子 鼠年")
                                     << QStringList{"2020", "202004", "20200423"}
                                     << QStringList{"", "", "goal 20200423"} << lunarFirst;
        QTest::newRow("leap lunar month")
            << At(2020, 5, 22, 23, 59, 59) << At(2020, 5, 23, 0, 0, 1) << true << QString()
            << QStringLiteral("今日 2020年 5月 23日, 星期六, 农历 2020年 4月 1号, 庚子 鼠年")
            << QStringList{"2020", "202005", "20200523"} << QStringList{"", "", "goal 20200523"} << lunarFirst;
        QTest::newRow("a year the file does not hold")
            << At(2037, 12, 31, 23, 59, 59) << At(2038, 1, 1, 0, 0, 1) << true << QString()
            << QStringLiteral("今日 2038年 1月 1日, 星期五, 农历 2037年 11月 26号, 戊午 马年")
            << QStringList{"2038", "203801", "20380101"} << QStringList{"", "", ""}
            << QStringLiteral("[本日提醒]:元旦\n");
        QTest::newRow("time zone moves the date back")
            << At(2018, 4, 1, 0, 30, 0, 9) << At(2018, 3, 31, 23, 30, 0) << false << QString()
            << QStringLiteral("今日 2018年 3月 31日, 星期六, 农历 2018年 2月 15号, 戊戌 狗年")
            << QStringList{"2018", "201803", "20180331"} << QStringList{"", "goal 201803", "goal 20180331"} << none;
        QTest::newRow("unsaved day goal")
            << At(2018, 12, 31, 23, 59, 59) << At(2019, 1, 1, 0, 0, 1) << true << QStringLiteral("DayGoalEdit=draft")
            << QStringLiteral("今日 2019年 1月 1日, 星期二, 农历 2018年 11月 26号, 己亥 猪年")
            << QStringList{"2019", "201901", "20181231"} << QStringList{"goal 2019", "goal 201901", "draft"} << none;
        QTest::newRow("month key changed")
            << At(2018, 12, 31, 23, 59, 59) << At(2019, 1, 1, 0, 0, 1) << true << QStringLiteral("MonthKeyEdit=201805")
            << QStringLiteral("今日 2019年 1月 1日, 星期二, 农历 2018年 11月 26号, 己亥 猪年")
            << QStringList{"2019", "201805", "20190101"} << QStringList{"goal 2019", "", "goal 20190101"}
            << QStringLiteral("[本日提醒]:元旦\n");
    }
    void theWindowFollowsTheDate()
    {
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(bool, byTimer);
        QFETCH(QString, type);
        QFETCH(QString, line);
        QFETCH(QStringList, keys);
        QFETCH(QStringList, goals);
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
        if (!byTimer) {
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(fx.window(), &activate);
        }
        auto* today = fx.control<QLabel>(QStringLiteral("TodayLabel"));
        QTRY_COMPARE_WITH_TIMEOUT(today->text(), line, 3000);
        QCOMPARE((QStringList{app.YearKeyEdit->text(), app.MonthKeyEdit->text(), app.DayKeyEdit->text()}), keys);
        QCOMPARE((QStringList{app.YearGoalEdit->toPlainText(), app.MonthGoalEdit->toPlainText(),
                              app.DayGoalEdit->toPlainText()}),
                 goals);
        QCOMPARE(app.ReminderEdit->toPlainText(), reminders);
        QVERIFY(app.ItemList->isHidden());
        QVERIFY(AppFixture::messages().isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
