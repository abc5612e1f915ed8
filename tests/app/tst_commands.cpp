#include "app/command_ids.h"
#include "app/test_app_fixture.h"
#include "data/record_access.h"
#include "settings/settings_dialog.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

using namespace jotrak;
using jotrak::test::AppFixture;

namespace {

// What a command could visibly change when it should do nothing.
struct Snapshot {
    int kind, goalId, webPaneShown;
    bool webPaneVisible, listVisible;
    QString yearGoal, monthGoal, dayGoal;

    static Snapshot Take()
    {
        const AppContext& app = App();
        return {app.CurrentKind,
                app.CurrentGoalId,
                app.WebPaneShown,
                app.WebPane->isVisible(),
                app.ItemList->isVisible(),
                app.YearGoalEdit->toPlainText(),
                app.MonthGoalEdit->toPlainText(),
                app.DayGoalEdit->toPlainText()};
    }
    bool operator==(const Snapshot&) const = default;
};

void ShowListInsteadOfWebPane()
{
    App().WebPane->hide();
    App().ItemList->show();
    App().WebPaneShown = 0;
}

// Answers the next modal dialog by clicking its button of the given name.
void ClickInNextModal(const QString& buttonName, QString* seenTitle)
{
    QTimer::singleShot(0, [buttonName, seenTitle] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        *seenTitle = modal->windowTitle();
        if (auto* button = modal->findChild<QPushButton*>(buttonName))
            button->click();
    });
}

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        AppFixture::clearMessages();
    }
    void cleanup() { fx.reset(); }

    void identifiersWithoutActionDoNothing_data()
    {
        QTest::addColumn<int>("id");
        for (int id : {0, 1, 109, 119, 157, 200, -1, 65536 + 110})
            QTest::addRow("%d", id) << id;
        for (int id = 128; id <= 138; ++id)
            QTest::addRow("%d", id) << id;
    }
    void identifiersWithoutActionDoNothing()
    {
        QFETCH(int, id);
        fx->app().YearGoalEdit->setPlainText(QStringLiteral("unchanged"));
        ShowListInsteadOfWebPane();
        const Snapshot before = Snapshot::Take();
        fx->command(id);
        QVERIFY(Snapshot::Take() == before);
        QVERIFY(AppFixture::messages().isEmpty());
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
    }

    void itemCommandsSetTheKindFirst()
    {
        fx->command(kCmdYearItems);
        QCOMPARE(fx->app().CurrentKind, 1);
        fx->command(kCmdMonthItems);
        QCOMPARE(fx->app().CurrentKind, 2);
        fx->command(kCmdDayItems);
        QCOMPARE(fx->app().CurrentKind, 3);
        fx->button(kCmdYearItems)->click();
        QCOMPARE(fx->app().CurrentKind, 1);
    }

    void webPaneCommandBringsThePageBack()
    {
        ShowListInsteadOfWebPane();
        fx->button(kCmdShowWebPane)->click();
        QVERIFY(fx->app().WebPane->isVisible());
        QVERIFY(!fx->app().ItemList->isVisible());
        QCOMPARE(fx->app().WebPaneShown, 1);
    }

    // The sentence says what happened and what to do; the engine's words go to
    // the details, and no statement is shown.
    void aDatabaseErrorIsShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("details");
        QTest::newRow("connection closed") << false << QStringLiteral("数据库没有打开") << QString();
        QTest::newRow("locked by another program")
            << true << QStringLiteral("另一个程序占用") << QStringLiteral("SQLite 5: database is locked");
    }
    void aDatabaseErrorIsShownAndTheProgramGoesOn()
    {
        QFETCH(bool, locked);
        QFETCH(QString, words);
        QFETCH(QString, details);
        sqlite3* other = nullptr;
        if (locked) {
            QCOMPARE(sqlite3_open(QFile::encodeName(fx->app().connection.path()).constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_busy_timeout(fx->app().connection.handle(), 20);
        } else {
            CloseConnection(fx->app().connection);
        }
        fx->app().YearGoalEdit->setPlainText(QStringLiteral("typed"));
        fx->command(kCmdModifyYearGoal);
        fx->command(kCmdViewYearGoal);
        sqlite3_close(other);
        const auto& shown = AppFixture::messages();
        QCOMPARE(shown.size(), 2);
        for (const auto& message : shown) {
            QCOMPARE(message.caption, QStringLiteral("数据库错误"));
            QVERIFY2(message.text.contains(words), qPrintable(message.text));
            QVERIFY2(!message.text.contains(QStringLiteral("Select"), Qt::CaseInsensitive), qPrintable(message.text));
            QCOMPARE(message.details, details);
        }
        QCOMPARE(fx->app().YearGoalEdit->toPlainText(), QStringLiteral("typed"));
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
    }

    // A real box (no seam): 确定 and 取消 whatever translation is loaded, the details apart.
    void aMessageBoxHasChineseButtonsAndDetails()
    {
        testing::MessageBoxSeam::Disable();
        QStringList buttons;
        QString details;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) != QMessageBox::ActionRole) // not "show details"
                    buttons << button->text();
            details = box->detailedText();
            box->button(QMessageBox::Cancel)->click();
        });
        const int answer = ShowMessage(fx->window(), QStringLiteral("是否确定删除!"), QStringLiteral("删除确认"),
                                       MessageButtons::OkCancel, QStringLiteral("engine words"));
        testing::MessageBoxSeam::Enable();
        QCOMPARE(answer, kIdCancel);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
        QCOMPARE(details, QStringLiteral("engine words"));
    }

    void aRefusedWriteLeavesTheStoredGoalAlone()
    {
        sqlite3_exec(fx->app().connection.handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        fx->app().MonthGoalEdit->setPlainText(QStringLiteral("never stored"));
        fx->command(kCmdModifyMonthGoal);
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages().first().caption, QStringLiteral("数据库错误"));
        QVERIFY(AppFixture::messages().first().text.contains(QStringLiteral("只读")));
        QVERIFY(AppFixture::messages().first().details.contains(QStringLiteral("readonly database")));

        sqlite3_exec(fx->app().connection.handle(), "PRAGMA query_only = 0", nullptr, nullptr, nullptr);
        fx->app().MonthGoalEdit->clear();
        AppFixture::clearMessages();
        fx->command(kCmdViewMonthGoal);
        QCOMPARE(fx->app().MonthGoalEdit->toPlainText(), QString());
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void aRightPressOnTheBackgroundEndsTheProgram_data()
    {
        QTest::addColumn<QPoint>("spot");
        QTest::newRow("below the reminders") << QPoint(50, 570);
        QTest::newRow("right of the maxim") << QPoint(1003, 12);
        QTest::newRow("between the goal rows") << QPoint(300, 150);
    }
    void aRightPressOnTheBackgroundEndsTheProgram()
    {
        QFETCH(QPoint, spot);
        QVERIFY(!fx->window()->childAt(spot));
        QTest::mousePress(fx->window(), Qt::LeftButton, {}, spot);
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
        QTest::mousePress(fx->window(), Qt::RightButton, {}, spot);
        QCOMPARE(testing::ShellSeam::ExitCodes(), QList<int>{0});
    }

    void aRightPressOnAChildDoesNot_data()
    {
        QTest::addColumn<QString>("child");
        QTest::addColumn<QPoint>("spot");
        QTest::newRow("button") << QStringLiteral("btn110") << QPoint(5, 5);
        QTest::newRow("launcher") << QStringLiteral("btn156") << QPoint(5, 5);
        QTest::newRow("today line") << QStringLiteral("TodayLabel") << QPoint(5, 5);
        QTest::newRow("web pane") << QStringLiteral("WebPane") << QPoint(200, 200);
        QTest::newRow("group box") << QStringLiteral("LauncherGroup") << QPoint(2, 10);
    }
    void aRightPressOnAChildDoesNot()
    {
        QFETCH(QString, child);
        QFETCH(QPoint, spot);
        auto* widget = fx->control<QWidget>(child);
        QVERIFY(widget);
        QTest::mousePress(widget, Qt::RightButton, {}, spot);
        QTest::mouseRelease(widget, Qt::RightButton, {}, spot);
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
    }

    void ctrlCommaOpensTheSettingsDialog()
    {
        fx->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx->window()));
        QString title;
        ClickInNextModal(QStringLiteral("btn2"), &title);
        QTest::keyClick(fx->window(), Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(title, QStringLiteral("设置"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    void theSettingsDialogClosesWithOneOrTwoAndKeepsNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("确定") << QStringLiteral("btn1") << 1;
        QTest::newRow("取消") << QStringLiteral("btn2") << 2;
        QTest::newRow("Escape") << QStringLiteral("escape") << 2;
        QTest::newRow("Enter") << QStringLiteral("enter") << 1;
        QTest::newRow("Enter on 取消") << QStringLiteral("enter on btn2") << 2;
        QTest::newRow("close box") << QStringLiteral("close") << 2;
    }
    void theSettingsDialogClosesWithOneOrTwoAndKeepsNothing()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        SettingsDialog dialog(fx->window());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置"));
        QTimer::singleShot(0, &dialog, [&dialog, how] {
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("edit1004"));
            name->setFocus();
            QTest::keyClicks(name, QStringLiteral("SimSun"));
            dialog.findChild<QPushButton*>(QStringLiteral("btn1012"))->click();
            dialog.findChild<QPushButton*>(QStringLiteral("btn1011"))->click();
            QVERIFY(dialog.isVisible()); // those two have no action
            if (how == QStringLiteral("escape"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else if (how == QStringLiteral("enter"))
                QTest::keyClick(name, Qt::Key_Return);
            else if (how.startsWith(QStringLiteral("enter on ")))
                QTest::keyClick(dialog.findChild<QPushButton*>(how.mid(9)), Qt::Key_Return);
            else if (how == QStringLiteral("close"))
                dialog.close();
            else
                dialog.findChild<QPushButton*>(how)->click();
        });
        QCOMPARE(dialog.exec(), result);

        SettingsDialog again(fx->window());
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("edit1004"))->text(), QString());
        QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("edit1005"))->text(), QString());
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void theSettingsDialogHasItsControls()
    {
        SettingsDialog dialog(fx->window());
        const std::pair<const char*, const char*> texts[] = {{"FontNameLabel", "设置字体名称"},
                                                             {"FontSizeLabel", "字体大小"},
                                                             {"btn1012", "字体设置"},
                                                             {"btn1011", "格言警句设置"},
                                                             {"btn1", "确定"},
                                                             {"btn2", "取消"}};
        for (const auto& [name, text] : texts) {
            QWidget* widget = dialog.findChild<QWidget*>(QString::fromUtf8(name));
            QVERIFY2(widget, name);
            const QString shown = qobject_cast<QLabel*>(widget) ? qobject_cast<QLabel*>(widget)->text()
                                                                : qobject_cast<QPushButton*>(widget)->text();
            QCOMPARE(shown, QString::fromUtf8(text));
            QVERIFY(dialog.rect().contains(widget->geometry()));
        }
        QVERIFY(dialog.findChild<QPushButton*>(QStringLiteral("btn1"))->isDefault());
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("edit1004")));
        QVERIFY(dialog.findChild<QLineEdit*>(QStringLiteral("edit1005")));
    }

    void theSettingsDialogOpensCentredOverTheMainWindow()
    {
        fx->window()->move(100, 40);
        QPoint centre;
        QTimer::singleShot(0, [&centre] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            centre = modal->frameGeometry().center();
            static_cast<QDialog*>(modal)->reject();
        });
        fx->command(kCmdSettings);
        const QRect main = fx->window()->frameGeometry();
        QVERIFY(qAbs(centre.x() - main.center().x()) <= 1);
        QVERIFY(qAbs(centre.y() - (main.center().y() - 20)) <= 1);
    }
};

QTEST_MAIN(CommandsTest)
#include "tst_commands.moc"
