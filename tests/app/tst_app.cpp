#include "support/app_fixture.h"

#include "app/command_ids.h"
#include "export/export_dialog.h"
#include "launcher/launcher_table.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "launcher/launcher_dialog.h"
#include "reminders/reminder_dialog.h"
#include "reminders/scheme_editing.h"
#include "settings/settings_dialog.h"

#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QScrollBar>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Direct children lie inside, texts are whole, and no two controls a user types
// into or presses overlap (the web pane and the item list take turns in one place).
void CheckNoOverlap(QWidget* parent)
{
    const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* a : children) {
        if (a->isHidden() || a->objectName() == QLatin1String("ItemList"))
            continue;
        QVERIFY2(parent->rect().contains(a->geometry()), qPrintable(a->objectName()));
        if (auto* label = qobject_cast<QLabel*>(a); label && !label->wordWrap())
            QVERIFY2(label->fontMetrics().horizontalAdvance(label->text()) <= label->width(),
                     qPrintable(label->text()));
        const auto control = [](QWidget* w) {
            return !w->isHidden() && w->objectName() != QLatin1String("ItemList") && !qobject_cast<QLabel*>(w) &&
                   !w->inherits("QRadioButton") && !w->inherits("QGroupBox");
        };
        for (QWidget* b : children)
            if (a < b && control(a) && control(b))
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" overlaps ") + b->objectName()));
    }
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

private slots:
    // Every command button is there, inside the window, nothing overlaps, and a
    // few controls stand exactly where they belong, also in a larger window.
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
            auto* widget = fx.control(QLatin1String(name));
            QCOMPARE(widget->geometry(), rect);
            if (text)
                QCOMPARE(TextOf(widget), QString::fromUtf8(text));
        }
        QCOMPARE(fx.app().fontKai18.pixelSize(), 18);
        QCOMPARE(fx.app().fontKai18.weight(), QFont::Thin);
        QCOMPARE(fx.control(QStringLiteral("MaximLabel"))->font().pixelSize(), 12);
        QCOMPARE(fx.control<QLabel>(QStringLiteral("MaximLabel"))->text(), QString()); // a new, empty gey.txt
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
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    }

    // Each dialog has its size in pixels, its controls inside it without overlap,
    // whole texts, and a few controls at their exact places.
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
        const std::tuple<int, const char*, QRect> places[] = {
            {0, "okButton", {150, 245, 87, 34}},    {0, "contentEdit", {89, 11, 513, 226}},
            {1, "contentEdit", {77, 11, 605, 197}}, {1, "doneRadio", {375, 450, 60, 16}},
            {3, "schemeList", {440, 31, 168, 325}}, {3, "modifyButton", {231, 301, 80, 41}},
        };
        for (std::size_t i = 0; i < dialogs.size(); ++i) {
            QDialog* d = dialogs[i].get();
            d->show();
            QCOMPARE(d->size(), sizes[i]);
            CheckNoOverlap(d);
            const QList<QPushButton*> buttons = d->findChildren<QPushButton*>();
            QCOMPARE(std::count_if(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->isDefault(); }), 1);
        }
        for (const auto& [dialog, name, rect] : places)
            QCOMPARE(dialogs[dialog]->findChild<QWidget*>(QLatin1String(name))->geometry(), rect);
        QCOMPARE(dialogs[0]->focusWidget(), dialogs[0]->findChild<QWidget*>(QStringLiteral("okButton")));
    }

    void commandsWithoutActionDoNothingAndItemCommandsSetTheKind()
    {
        AppFixture fx;
        fx.app().YearGoalEdit->setPlainText(QStringLiteral("unchanged"));
        for (int id : {0, 1, 109, 119, 129, 133, 138, 157, 200, -1, 65536 + 110})
            fx.command(id);
        QCOMPARE(fx.app().YearGoalEdit->toPlainText(), QStringLiteral("unchanged"));
        QVERIFY(fx.app().WebPane->isVisible());
        QCOMPARE(fx.app().CurrentGoalId, -1);
        QVERIFY(AppFixture::messages().isEmpty() && testing::ShellSeam::ExitCodes().isEmpty());
        for (const auto& [command, kind] : {std::pair{112, 1}, {115, 2}, {118, 3}, {112, 1}}) {
            fx.button(command)->click();
            QCOMPARE(fx.app().CurrentKind, kind);
        }
    }

    // The sentence says what happened and what to do; the engine's words go to
    // the details, no statement is shown, the box keeps what was typed, and the
    // program goes on.
    void aDatabaseErrorIsShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<int>("how");
        QTest::addColumn<QString>("words");
        QTest::addColumn<QString>("details");
        QTest::newRow("connection closed") << 0 << "数据库没有打开"
                                           << "";
        QTest::newRow("locked by another program") << 1 << "另一个程序占用"
                                                   << "SQLite 5: database is locked";
        QTest::newRow("read-only") << 2 << "只读"
                                   << "SQLite 8: attempt to write a readonly database";
    }
    void aDatabaseErrorIsShownAndTheProgramGoesOn()
    {
        QFETCH(int, how);
        QFETCH(QString, words);
        QFETCH(QString, details);
        AppFixture fx;
        sqlite3* other = nullptr;
        if (how == 0) {
            CloseConnection(fx.db());
        } else if (how == 1) {
            QCOMPARE(sqlite3_open(QFile::encodeName(fx.db().path()).constData(), &other), SQLITE_OK);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_busy_timeout(fx.db().handle(), 20);
        } else {
            sqlite3_exec(fx.db().handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        }
        fx.app().YearGoalEdit->setPlainText(QStringLiteral("typed"));
        fx.command(kCmdModifyYearGoal);
        sqlite3_close(other);
        QCOMPARE(AppFixture::messages().size(), 1);
        const testing::ShownMessage& shown = AppFixture::messages()[0];
        QCOMPARE(shown.caption, QStringLiteral("数据库错误"));
        QVERIFY2(shown.text.contains(words) && !shown.text.contains(QStringLiteral("select"), Qt::CaseInsensitive),
                 qPrintable(shown.text));
        QCOMPARE(shown.details, details);
        QCOMPARE(fx.app().YearGoalEdit->toPlainText(), QStringLiteral("typed"));
        if (how == 2) {
            sqlite3_exec(fx.db().handle(), "PRAGMA query_only = 0", nullptr, nullptr, nullptr);
            fx.command(kCmdViewYearGoal);
            QCOMPARE(fx.app().YearGoalEdit->toPlainText(), QString());
        }
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
    }

    // A real box, no seam: 确定 and 取消 whatever translation is loaded, the details apart.
    void aMessageBoxHasChineseButtonsAndDetails()
    {
        AppFixture fx;
        testing::MessageBoxSeam::Disable();
        QStringList buttons;
        QString details;
        fx.modals.next<QMessageBox>([&](QMessageBox* box) {
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) != QMessageBox::ActionRole) // not "show details"
                    buttons << button->text();
            details = box->detailedText();
            box->button(QMessageBox::Cancel)->click();
        });
        const int answer = ShowMessage(fx.window(), QStringLiteral("是否确定删除!"), QStringLiteral("删除确认"),
                                       MessageButtons::OkCancel, QStringLiteral("engine words"));
        QCOMPARE(answer, kIdCancel);
        buttons.sort();
        QCOMPARE(buttons, (QStringList{"取消", "确定"}));
        QCOMPARE(details, QStringLiteral("engine words"));
    }

    // A right press on the window's own background ends the program; on a control it does not.
    void aRightPressOnTheBackgroundEndsTheProgram()
    {
        AppFixture fx;
        for (const char* child : {"btn110", "btn156", "TodayLabel", "WebPane", "LauncherGroup"}) {
            QTest::mousePress(fx.control(QLatin1String(child)), Qt::RightButton, {}, QPoint(5, 10));
            QTest::mouseRelease(fx.control(QLatin1String(child)), Qt::RightButton, {}, QPoint(5, 10));
        }
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
        const std::pair<const char*, int> closings[] = {{"btn1", 1},  {"btn2", 2},          {"escape", 2},
                                                        {"enter", 1}, {"enter on btn2", 2}, {"close", 2}};
        for (const auto& [how, expected] : closings) {
            int result = 0;
            fx.modals.next<SettingsDialog>([&](SettingsDialog* d) {
                const QPoint centre = d->frameGeometry().center() - fx.window()->frameGeometry().center();
                QVERIFY2(qAbs(centre.x()) <= 1 && qAbs(centre.y() + 20) <= 1, qPrintable(QString::number(centre.y())));
                auto* name = d->findChild<QLineEdit*>(QStringLiteral("edit1004"));
                QCOMPARE(name->text(), QString());
                name->setFocus();
                QTest::keyClicks(name, QStringLiteral("SimSun"));
                d->findChild<QPushButton*>(QStringLiteral("btn1012"))->click();
                d->findChild<QPushButton*>(QStringLiteral("btn1011"))->click();
                auto* folder = d->findChild<QLineEdit*>(QStringLiteral("DataDirEdit"));
                QVERIFY(folder->isReadOnly());
                QCOMPARE(folder->text(), QDir::toNativeSeparators(fx.dataDir()));
                d->findChild<QPushButton*>(QStringLiteral("btnOpenDataDir"))->click();
                QVERIFY(d->isVisible());
                const QString h = QString::fromLatin1(how);
                if (h == u"escape")
                    QTest::keyClick(d, Qt::Key_Escape);
                else if (h == u"enter")
                    QTest::keyClick(name, Qt::Key_Return);
                else if (h.startsWith(u"enter on "))
                    QTest::keyClick(d->findChild<QPushButton*>(h.mid(9)), Qt::Key_Return);
                else if (h == u"close")
                    d->close();
                else
                    d->findChild<QPushButton*>(h)->click();
                result = d->result();
            });
            if (how == closings[0].first)
                QTest::keyClick(fx.window(), Qt::Key_Comma, Qt::ControlModifier);
            else
                fx.command(kCmdSettings);
            QVERIFY2(result == expected, how);
        }
        QCOMPARE(fx.modals.unexpected(), 0);
        QVERIFY(AppFixture::messages().isEmpty());
        QCOMPARE(testing::ShellSeam::Opened(), QStringList(std::size(closings), fx.dataDir()));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
