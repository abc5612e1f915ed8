#include "support/app_fixture.h"

#include "app/command_ids.h"
#include "export/export_dialog.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "launcher/launcher_dialog.h"
#include "launcher/launcher_table.h"
#include "reminders/reminder_dialog.h"
#include "reminders/scheme_editing.h"
#include "settings/settings_dialog.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Direct children lie inside, labels show their whole text, and no two controls a
// user types into or presses overlap (the item list shares the web pane's place).
void CheckNoOverlap(QWidget* parent)
{
    const auto control = [](QWidget* w) {
        return !w->isHidden() && w->objectName() != u"ItemList" && !qobject_cast<QLabel*>(w) &&
               !w->inherits("QRadioButton") && !w->inherits("QGroupBox");
    };
    const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : children) {
        if (a->isHidden() || a->objectName() == u"ItemList")
            continue;
        QVERIFY2(parent->rect().contains(a->geometry()), qPrintable(a->objectName()));
        if (auto* label = qobject_cast<QLabel*>(a); label && !label->wordWrap())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        for (QWidget* b : children)
            QVERIFY2(a >= b || !control(a) || !control(b) || !a->geometry().intersects(b->geometry()),
                     qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
    }
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

private slots:
    // Every command button is there, nothing overlaps, and a few controls stand
    // exactly where they belong, also in a larger window.
    void theMainWindowIsLaidOut()
    {
        AppFixtureOptions options;
        options.now = QDateTime(QDate(2025, 11, 12), QTime(10, 30));
        AppFixture fx(options);
        QCOMPARE(fx.window()->size(), QSize(1008, 710));
        for (int id : {110, 111, 112, 113, 114, 115, 116, 117, 118, 120, 121, 122, 124, 125, 126, 127})
            QVERIFY2(fx.button(id) && fx.button(id)->property("commandId").toInt() == id,
                     qPrintable(QString::number(id)));
        for (int id = kCmdFirstLauncher; id <= kCmdLastLauncher; ++id)
            QCOMPARE(fx.app().LauncherTable->buttons[id - kCmdFirstLauncher], fx.button(id));
        CheckNoOverlap(fx.window());
        const std::tuple<const char*, QRect, const char*> named[] = {
            {"TodayLabel", {25, 10, 460, 16}, nullptr},
            {"YearKeyEdit", {15, 35, 30, 18}, "2025"},
            {"MonthKeyEdit", {15, 158, 50, 18}, "202511"},
            {"DayKeyEdit", {15, 281, 80, 18}, "20251112"},
            {"DayGoalEdit", {5, 303, 486, 180}, ""},
            {"btn118", {155, 555, 180, 35}, "有事早奏,无事退朝! -->>>"},
            {"btn156", {412, 670, 80, 30}, ""},
            {"ItemList", {500, 30, 505, 638}, nullptr},
            {"WebPane", {500, 30, 505, 638}, ""},
            {"btn127", {944, 673, 60, 30}, "目标导出"},
        };
        fx.window()->resize(1600, 1000);
        QCoreApplication::processEvents();
        for (const auto& [name, rect, text] : named) {
            QCOMPARE(fx.control(QLatin1String(name))->geometry(), rect);
            if (text)
                QCOMPARE(fx.control(QLatin1String(name))->property("text").toString() +
                             fx.control(QLatin1String(name))->property("plainText").toString(),
                         QString::fromUtf8(text));
        }
        QVERIFY(AppFixture::messages().isEmpty());
    }

    // 已完成 | 完成情况 | 工作内容 | ID from the right; 工作内容 takes the width the
    // others leave, with or without a vertical scroll bar; IDME hidden.
    void theItemListShowsItsColumnsReversed()
    {
        AppFixture fx;
        QTableWidget* list = fx.app().ItemList;
        QHeaderView* header = list->horizontalHeader();
        const QStringList titles = {"已完成", "完成情况", "工作内容", "ID", "IDME"};
        for (int column = 0; column < 5; ++column) {
            QCOMPARE(list->horizontalHeaderItem(column)->text(), titles[column]);
            QCOMPARE(header->visualIndex(column), 4 - column);
        }
        list->show();
        for (int rows : {1, 200}) {
            list->setRowCount(rows);
            QTRY_COMPARE(list->verticalScrollBar()->isVisible(), rows > 1);
            QTRY_COMPARE(header->length(), list->viewport()->width());
            QVERIFY(!list->horizontalScrollBar()->isVisible());
            QCOMPARE((QList<int>{list->columnWidth(0), list->columnWidth(1), list->columnWidth(3)}),
                     (QList<int>{50, 100, 30}));
        }
        QVERIFY(list->isColumnHidden(4));
    }

    // Each dialog has its size in pixels, its controls inside without overlap, one
    // default button, and a few controls at their exact places.
    void theDialogsAreLaidOut()
    {
        AppFixture fx;
        AddItemDialogData add;
        EditItemDialogData edit;
        ExportDialogData exportData;
        ReminderDialogState reminders;
        std::vector<std::unique_ptr<QDialog>> dialogs;
        dialogs.emplace_back(new AddItemDialog(fx.window(), add));
        dialogs.emplace_back(new EditItemDialog(fx.window(), edit));
        dialogs.emplace_back(new ExportDialog(fx.window(), exportData));
        dialogs.emplace_back(new ReminderDialog(fx.window(), reminders));
        dialogs.emplace_back(new LauncherDialog(fx.window()));
        dialogs.emplace_back(new SettingsDialog(fx.window()));
        const QSize sizes[] = {{612, 296}, {692, 561}, {539, 304}, {618, 367}, {450, 319}, {300, 224}};
        for (std::size_t i = 0; i < dialogs.size(); ++i) {
            dialogs[i]->show();
            QCOMPARE(dialogs[i]->size(), sizes[i]);
            CheckNoOverlap(dialogs[i].get());
            const QList<QPushButton*> buttons = dialogs[i]->findChildren<QPushButton*>();
            QCOMPARE(std::count_if(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->isDefault(); }), 1);
        }
        const std::tuple<int, const char*, QRect> places[] = {
            {0, "okButton", {150, 245, 87, 34}},    {0, "contentEdit", {89, 11, 513, 226}},
            {1, "contentEdit", {77, 11, 605, 197}}, {1, "doneRadio", {375, 450, 60, 16}},
            {3, "schemeList", {440, 31, 168, 325}}, {3, "modifyButton", {231, 301, 80, 41}},
        };
        for (const auto& [dialog, name, rect] : places)
            QCOMPARE(dialogs[dialog]->findChild<QWidget*>(QLatin1String(name))->geometry(), rect);
        QCOMPARE(dialogs[0]->focusWidget(), dialogs[0]->findChild<QWidget*>(QStringLiteral("okButton")));
    }

    // A change refused by the engine (here a read-only file) is told in Chinese,
    // the engine's words in the details; the box keeps what was typed, and the
    // program goes on. (The sentences: tst_data; a busy file: tst_two_programs.)
    void aDatabaseErrorIsShownAndTheProgramGoesOn()
    {
        AppFixture fx;
        sqlite3_exec(fx.db().handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        fx.app().YearGoalEdit->setPlainText(QStringLiteral("typed"));
        fx.command(kCmdModifyYearGoal);
        QCOMPARE(AppFixture::texts().mid(1), QStringList{QStringLiteral("caption: 数据库错误")});
        const testing::ShownMessage& shown = AppFixture::messages()[0];
        QVERIFY2(shown.text.contains(QStringLiteral("只读")), qPrintable(shown.text));
        QCOMPARE(shown.details, QStringLiteral("SQLite 8: attempt to write a readonly database"));
        QCOMPARE(fx.app().YearGoalEdit->toPlainText(), QStringLiteral("typed"));
        sqlite3_exec(fx.db().handle(), "PRAGMA query_only = 0", nullptr, nullptr, nullptr);
        fx.command(kCmdViewYearGoal);
        QCOMPARE(fx.app().YearGoalEdit->toPlainText(), QString());
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
    }

    // A right press on the window's own background ends the program; on a control it does not.
    void aRightPressOnTheBackgroundEndsTheProgram()
    {
        AppFixture fx;
        for (const char* child : {"btn110", "btn156", "TodayLabel", "WebPane", "LauncherGroup"})
            QTest::mouseClick(fx.control(QLatin1String(child)), Qt::RightButton, {}, QPoint(5, 10));
        const QPoint spots[] = {{50, 570}, {1003, 12}, {300, 150}};
        for (const QPoint& spot : spots) {
            QVERIFY(!fx.window()->childAt(spot));
            QTest::mousePress(fx.window(), Qt::LeftButton, {}, spot);
        }
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
        for (const QPoint& spot : spots)
            QTest::mousePress(fx.window(), Qt::RightButton, {}, spot);
        QCOMPARE(testing::ShellSeam::ExitCodes(), (QList<int>{0, 0, 0}));
    }

    // Ctrl+, opens 设置 centred over the main window (20 pixels higher); it closes
    // with 1 or 2 and keeps nothing; its two font buttons do nothing; it shows the
    // data folder in use, and its button opens that folder on the desktop.
    void theSettingsDialog()
    {
        AppFixture fx;
        fx.window()->move(100, 40);
        fx.window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx.window()));
        const std::pair<const char*, int> closings[] = {{"btn1", 1}, {"btn2", 2}, {"escape", 2}, {"enter", 1}};
        for (const auto& [how, expected] : closings) {
            int result = 0;
            fx.modals.next<SettingsDialog>([&](SettingsDialog* d) {
                const QPoint centre = d->frameGeometry().center() - fx.window()->frameGeometry().center();
                QVERIFY2(qAbs(centre.x()) <= 1 && qAbs(centre.y() + 20) <= 1, qPrintable(QString::number(centre.y())));
                auto* name = d->findChild<QLineEdit*>(QStringLiteral("edit1004"));
                QCOMPARE(name->text(), QString());
                QTest::keyClicks(name, QStringLiteral("SimSun"));
                d->findChild<QPushButton*>(QStringLiteral("btn1012"))->click();
                d->findChild<QPushButton*>(QStringLiteral("btn1011"))->click();
                auto* folder = d->findChild<QLineEdit*>(QStringLiteral("DataDirEdit"));
                QVERIFY(folder->isReadOnly());
                QCOMPARE(folder->text(), QDir::toNativeSeparators(fx.dataDir()));
                d->findChild<QPushButton*>(QStringLiteral("btnOpenDataDir"))->click();
                QVERIFY(d->isVisible());
                if (how == std::string_view("escape"))
                    QTest::keyClick(d, Qt::Key_Escape);
                else if (how == std::string_view("enter"))
                    QTest::keyClick(name, Qt::Key_Return);
                else
                    d->findChild<QPushButton*>(QLatin1String(how))->click();
                result = d->result();
            });
            if (expected == 1 && how == closings[0].first)
                QTest::keyClick(fx.window(), Qt::Key_Comma, Qt::ControlModifier);
            else
                fx.command(kCmdSettings);
            QVERIFY2(result == expected, how);
        }
        QCOMPARE(fx.modals.unexpected(), 0);
        QCOMPARE(testing::ShellSeam::Opened(), QStringList(std::size(closings), fx.dataDir()));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
