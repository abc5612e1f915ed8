#include "support/app_fixture.h"
#include "support/bytes.h"
#include "support/database.h"

#include "app/command_ids.h"
#include "calendar/clock.h"
#include "export/export_dialog.h"
#include "launcher/launcher_table.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "launcher/launcher_dialog.h"
#include "reminders/reminder_dialog.h"
#include "reminders/scheme_editing.h"
#include "settings/backup_dialog.h"
#include "settings/maxim_file.h"
#include "settings/maxims.h"
#include "settings/maxims_dialog.h"
#include "settings/settings_dialog.h"
#include "support/bytes.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QScrollBar>
#include <QToolButton>

#include <sqlite3.h>
#include <unistd.h>

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
        dialogs.emplace_back(new MaximsDialog(fx.window(), ParseMaximFile("A\r\nB")));
        dialogs.emplace_back(new BackupDialog(fx.window()));
        const QSize sizes[] = {{612, 296}, {692, 561}, {539, 304}, {618, 367},
                               {450, 319}, {300, 289}, {450, 312}, {465, 325}};
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
        for (int id : {0, 1, 109, 119, 128, 133, 138, 157, 200, -1, 65536 + 110})
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

    // Ctrl+, or the 设置 spot opens 设置 centred over the main window (20 pixels
    // higher), filled with the font in use; it closes with 1 or 2; it shows the
    // data folder in use, and its button opens that folder on the desktop. The
    // spot's menu names the shortcuts and offers 搜索 once there is a search.
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
                QCOMPARE(name->text(), QFontInfo(fx.app().fontText).family());
                QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("edit1005"))->text(), QStringLiteral("9"));
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
            else if (how == closings[1].first)
                fx.control<QToolButton>(QStringLiteral("btn123"))->click();
            else
                fx.command(kCmdSettings);
            QVERIFY2(result == expected, how);
        }
        QCOMPARE(fx.modals.unexpected(), 0);
        QVERIFY(AppFixture::messages().isEmpty());
        QCOMPARE(testing::ShellSeam::Opened(), QStringList(std::size(closings), fx.dataDir()));

        auto* menu = fx.control<QMenu>(QStringLiteral("SettingsMenu"));
        QCOMPARE(menu->actions()[0]->text() + menu->actions()[1]->text(),
                 QStringLiteral("设置...\tCtrl+,搜索...\tCtrl+F"));
        int searches = 0;
        for (bool searchThere : {false, true}) {
            fx.app().openSearch = searchThere ? std::function<void()>([&] { ++searches; }) : nullptr;
            emit menu->aboutToShow();
            QCOMPARE(menu->actions()[1]->isVisible(), searchThere);
        }
        menu->actions()[1]->trigger();
        QCOMPARE(searches, 1);
    }

    // A font chosen in 设置 (through 字体设置, or typed) goes to the goal boxes,
    // the reminder box, the item list and dialog 134 and comes back at the next
    // start; a bad size or a family not installed is refused, the dialog stays
    // open and nothing changes. "*" is an installed family, in capitals when typed.
    void theFontIsCheckedAppliedAndKept_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("refusal");
        const QString size = QStringLiteral("字体大小应为 6 到 72 之间的数字");
        QTest::newRow("字体设置") << "btn1012 *,14" << QString();
        QTest::newRow("typed, half points") << "typed *, 10.5 " << QString();
        QTest::newRow("size 5") << "typed *,5" << size;
        QTest::newRow("size 73") << "typed *,73" << size;
        QTest::newRow("no number") << "typed *,大" << size;
        QTest::newRow("not installed") << "typed NoSuchFamily,12" << QStringLiteral("没有找到字体“NoSuchFamily”");
    }
    void theFontIsCheckedAppliedAndKept()
    {
        QFETCH(QString, input);
        QFETCH(QString, refusal);
        const QString installed = QFontDatabase::families().constLast();
        const bool typed = input.startsWith(u't');
        const QStringList font =
            input.section(u' ', 1).replace(u'*', typed ? installed.toUpper() : installed).split(u',');
        QByteArray settings;
        {
            AppFixture fx;
            testing::FileDialogSeam::QueueAnswer(font.join(u','));
            fx.modals.next<SettingsDialog>([&](SettingsDialog* d) {
                auto* name = d->findChild<QLineEdit*>(QStringLiteral("edit1004"));
                auto* points = d->findChild<QLineEdit*>(QStringLiteral("edit1005"));
                if (typed) {
                    name->setText(font[0]);
                    points->setText(font[1]);
                } else {
                    d->findChild<QPushButton*>(QStringLiteral("btn1012"))->click();
                    QCOMPARE(QStringList({name->text(), points->text()}), font);
                }
                d->findChild<QPushButton*>(QStringLiteral("btn1"))->click();
                QCOMPARE(d->isVisible(), !refusal.isEmpty());
            });
            fx.command(kCmdSettings);
            QCOMPARE(AppFixture::messages().size(), refusal.isEmpty() ? 0 : 1);
            QVERIFY(refusal.isEmpty() || AppFixture::messages()[0].text.startsWith(refusal));
            settings = ReadBytes(fx.dataDir() + QStringLiteral("/jotrak.ini"));
        }
        AppFixtureOptions options;
        options.prepare = [&](const QString& dt) { WriteBytes(dt + QStringLiteral("/jotrak.ini"), settings); };
        AppFixture next(options);
        AddItemDialogData add;
        AddItemDialog dialog(next.window(), add);
        QFont expected(installed);
        expected.setPointSizeF(font[1].toDouble());
        expected = refusal.isEmpty() ? expected : next.app().fontSong12;
        for (QWidget* box :
             {next.app().YearGoalEdit, next.app().ReminderEdit, dialog.findChild<QPlainTextEdit*>("contentEdit")})
            QCOMPARE(box->font(), expected);
        QCOMPARE(next.app().ItemList->font(), expected);
        QCOMPARE(next.app().YearGoalEdit->geometry(), QRect(5, 57, 486, 90));
    }

    // Dialog 133 from 设置: 确定 writes gey.txt back (unchanged lines keep their
    // bytes) and the main window takes the new list; 取消, or no change, leaves the
    // file alone; a folder that cannot be written keeps the dialog open with the
    // edits. A step "#n" chooses line n, "=t" types t.
    void theMaximsDialog_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<QStringList>("messages");
        const QByteArray start("A\r\n\r\nB\xff\nC");
        QTest::newRow("取消 drops the edits")
            << QStringList{"#0", "=X", "btn1012", "btn1011", "btn2"} << start << QStringList{};
        QTest::newRow("新增, 修改, 删除, 确定")
            << QStringList{"=业", "btn1011", "#2", "=D", "btn1012", "#0", "btn1013", "btn1"}
            << QByteArray("B\xff\nD\r\n\xd2\xb5\r\n") << QStringList{};
        QTest::newRow("blank or nothing chosen refused")
            << QStringList{"btn1013", "=", "btn1012", "#1", "= ", "btn1012", "btn1011", "btn1"} << start
            << QStringList{"请先在列表中选择要删除", "请先在列表中选择要修改", "格言警句不能为空", "格言警句不能为空"};
        QTest::newRow("a folder that cannot be written")
            << QStringList{"#0", "=X", "btn1012", "away", "btn1", "back", "btn1"} << QByteArray("X\r\n\r\nB\xff\nC")
            << QStringList{"格言警句文件"};
    }
    void theMaximsDialog()
    {
        QFETCH(QStringList, steps);
        QFETCH(QByteArray, written);
        QFETCH(QStringList, messages);
        const QByteArray start("A\r\n\r\nB\xff\nC");
        AppFixtureOptions options;
        options.prepare = [&](const QString& dataDir) { WriteBytes(dataDir + QStringLiteral("/gey.txt"), start); };
        AppFixture fx(options);
        const QString dt = fx.dataDir();
        fx.modals.next<SettingsDialog>([](SettingsDialog* d) { d->findChild<QPushButton*>("btn1011")->click(); });
        fx.modals.next<MaximsDialog>([&](MaximsDialog* d) {
            auto* list = d->findChild<QListWidget*>(QStringLiteral("list1009"));
            auto* edit = d->findChild<QLineEdit*>(QStringLiteral("edit1004"));
            for (const QString& step : steps) {
                if (step.startsWith(u'#')) {
                    list->setCurrentRow(step.mid(1).toInt());
                    QCOMPARE(edit->text(), list->currentItem()->text());
                } else if (step.startsWith(u'=')) {
                    edit->setText(step.mid(1));
                } else if (step == u"away" || step == u"back") {
                    QVERIFY(QDir().rename(step == u"away" ? dt : dt + u'~', step == u"away" ? dt + u'~' : dt));
                    QVERIFY(d->isVisible());
                } else {
                    d->findChild<QPushButton*>(step)->click();
                }
            }
        });
        fx.command(kCmdSettings);
        QCOMPARE(fx.modals.pending(), 0);
        QCOMPARE(ReadBytes(dt + QStringLiteral("/gey.txt")), written);
        QCOMPARE(AppFixture::messages().size(), messages.size());
        for (qsizetype i = 0; i < messages.size(); ++i)
            QVERIFY2(AppFixture::messages()[i].text.startsWith(messages[i]), qPrintable(AppFixture::texts()[i]));
        QCOMPARE(fx.app().MaximList->lines, MaximTexts(ParseMaximFile(written)));
    }

    // 备份与恢复, opened from 设置: 立即备份 adds a copy; 恢复 asks first, and
    // 取消 changes nothing while 确定 puts the copy's goals back into the window;
    // a backup folder that cannot be written says so, and 设置 shows that result.
    void backupAndRestoreThroughTheSettingsDialog()
    {
        AppFixture fx;
        const QString older = QStringLiteral("旧的年目标");
        const QString newer = QStringLiteral("新的年目标");
        QVERIFY(StoreGoalText(fx.db(), Table::Nian, QStringLiteral("2018"), older));
        // read-only; root writes there anyway, so for root a folder under a file
        QTemporaryDir scratch;
        QString unwritable = scratch.filePath(QStringLiteral("readonly"));
        if (::geteuid() == 0) {
            QVERIFY(WriteBytes(scratch.filePath(QStringLiteral("file")), "x"));
            unwritable = scratch.filePath(QStringLiteral("file/backup"));
        } else {
            QVERIFY(QDir().mkdir(unwritable));
            QFile::setPermissions(unwritable, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        }
        QString lastBefore, lastAfter;
        fx.modals.next<SettingsDialog>([&](SettingsDialog* settings) {
            auto* last = settings->findChild<QLabel*>(QStringLiteral("LastBackupLabel"));
            lastBefore = last->text();
            fx.modals.next<BackupDialog>([&](BackupDialog* d) {
                auto* list = d->findChild<QTableWidget*>(QStringLiteral("BackupList"));
                const auto click = [d](const char* name) {
                    auto* button = d->findChild<QPushButton*>(QLatin1String(name));
                    QTRY_VERIFY(button->isEnabled());
                    button->click();
                    QTRY_VERIFY(button->isEnabled());
                };
                click("btnBackupNow");
                QCOMPARE(list->rowCount(), 1);
                QCOMPARE((QStringList{list->item(0, 0)->text(), list->item(0, 2)->text()}),
                         (QStringList{"2018-01-01 09:00:00", "1"}));

                QVERIFY(StoreGoalText(fx.db(), Table::Nian, QStringLiteral("2018"), newer));
                fx.app().YearGoalEdit->setPlainText(newer);
                Clock::SetForTest(QDateTime(QDate(2018, 1, 2), QTime(10, 0)));
                AppFixture::queueAnswer(kIdCancel);
                click("btnRestore");
                QCOMPARE(AppFixture::messages().last().buttons, MessageButtons::OkCancel);
                QCOMPARE(list->rowCount(), 1);
                click("btnRestore");
                QCOMPARE(AppFixture::messages().last().text, QStringLiteral("已恢复 2018-01-01 09:00 的备份。"));
                QCOMPARE(fx.app().YearGoalEdit->toPlainText(), older);
                QCOMPARE(GoalText(fx.db(), Table::Nian, QStringLiteral("2018")), older);
                QCOMPARE(list->item(0, 0)->text(), QStringLiteral("2018-01-02 10:00:00")); // the file as it was

                testing::FileDialogSeam::QueueAnswer(unwritable);
                click("btnChooseBackupFolder");
                QCOMPARE(list->rowCount(), 0);
                AppFixture::clearMessages();
                click("btnBackupNow");
                QCOMPARE(AppFixture::messages().size(), 1);
                QVERIFY2(AppFixture::messages()[0].text.contains(QDir::toNativeSeparators(unwritable)) &&
                             AppFixture::messages()[0].text.contains(QStringLiteral("备份没有完成")),
                         qPrintable(AppFixture::messages()[0].text));
                QCOMPARE(list->rowCount(), 0);
                testing::FileDialogSeam::QueueAnswer(QString()); // back to the folder beside the database
                click("btnChooseBackupFolder");
                QCOMPARE(list->rowCount(), 2);
                d->findChild<QPushButton*>(QStringLiteral("btnClose"))->click();
            });
            settings->findChild<QPushButton*>(QStringLiteral("btnBackupRestore"))->click();
            lastAfter = last->text();
        });
        fx.command(kCmdSettings);
        QCOMPARE(fx.modals.unexpected(), 0);
        QCOMPARE((QStringList{lastBefore, lastAfter}),
                 (QStringList{"上次备份:还没有备份", "上次备份:2018-01-02 10:00 失败"}));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
