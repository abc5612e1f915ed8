#include "support/app_fixture.h"
#include "support/database.h"
#include "app/command_ids.h"
#include "app/new_log.h"
#include "app/translation.h"
#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/today_line.h"
#include "data/seed.h"
#include "export/export_dialog.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "goals/period_panel.h"
#include "search/search_dialog.h"
#include "launcher/launcher_dialog.h"
#include "launcher/launcher_table.h"
#include "reminders/reminder_dialog.h"
#include "reminders/scheme_editing.h"
#include "reports/report_dialog.h"
#include "backup/backup_dialog.h"
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
#include <QTableWidget>
#include <QTimeZone>
#include <QToolButton>

#include <sqlite3.h>
#include <unistd.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Children inside, labels whole, no two controls overlapping (the item list shares the web pane's place).
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
    // The new log a first start copies is the log this release creates.
    void theNewLogCopiedIsTheLogThisReleaseMakes()
    {
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("fresh/db.mdb"));
        {
            ConnectionHolder made;
            OpenDatabase(made, fresh);
        }
        const QString copied = dir.filePath(QStringLiteral("copied/db.mdb"));
        QVERIFY(CreateDatabaseFrom(copied, NewLogFile()));
        QCOMPARE(LogContents(copied), LogContents(fresh));
    }

    // Every command button is there, and a few controls stand exactly in place, also in a larger window.
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
            QVERIFY(fx.button(id) && fx.button(id)->property("commandId").toInt() == id);
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
            {"WebPane", {500, 30, 505, 638}, nullptr},
            {"btn127", {944, 673, 60, 30}, "目标导出"},
        };
        fx.itemList(); // made when first asked for
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

    // Columns from the right; 工作内容 takes the width left, with or without a vertical scroll bar.
    void theItemListShowsItsColumnsReversed()
    {
        AppFixture fx;
        WorkItemView* list = fx.itemList();
        QHeaderView* header = list->horizontalHeader();
        const QStringList titles = {"已完成", "完成情况", "工作内容", "ID"};
        QCOMPARE(list->model()->columnCount(), 4);
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(list->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
            QCOMPARE(header->visualIndex(column), 3 - column);
        }
        const int goal = GoalId(fx.db(), Table::Ri, QStringLiteral("20180101"));
        int added = 0;
        for (int rows : {1, 200}) {
            for (; added < rows; ++added)
                AddItem(fx.db(), Table::Ri, goal, QStringLiteral("工作 %1").arg(added));
            fx.command(kCmdDayItems);
            QCOMPARE(list->model()->rowCount(), rows);
            QTRY_COMPARE(list->verticalScrollBar()->isVisible(), rows > 1);
            QTRY_COMPARE(header->length(), list->viewport()->width());
            QVERIFY(!list->horizontalScrollBar()->isVisible());
            QCOMPARE((QList<int>{list->columnWidth(0), list->columnWidth(1), list->columnWidth(3)}),
                     (QList<int>{50, 100, 30}));
        }
    }

    // Each dialog: its size, no overlap, one default button, a few controls at exact places.
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

    // A refused change (read-only file) is told in Chinese, the engine's words in the details; the typed box stays.
    void aDatabaseErrorIsShownAndTheProgramGoesOn()
    {
        AppFixture fx;
        sqlite3_exec(fx.db().handle(), "PRAGMA query_only = 1", nullptr, nullptr, nullptr);
        fx.box("YearGoalEdit")->setPlainText(QStringLiteral("typed"));
        fx.command(kCmdModifyYearGoal);
        QCOMPARE(AppFixture::texts().mid(1), QStringList{QStringLiteral("caption: 数据库错误")});
        const testing::ShownMessage& shown = AppFixture::messages()[0];
        QVERIFY2(shown.text.contains(QStringLiteral("只读")), qPrintable(shown.text));
        QCOMPARE(shown.details, QStringLiteral("SQLite 8: attempt to write a readonly database"));
        QCOMPARE(fx.box("YearGoalEdit")->toPlainText(), QStringLiteral("typed"));
        fx.command(kCmdYearItems);
        fx.modals.next<AddItemDialog>([](AddItemDialog* d) {
            d->findChild<QPlainTextEdit*>(QStringLiteral("contentEdit"))->setPlainText(QStringLiteral("new"));
            d->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        fx.command(kCmdAddItem);
        QCOMPARE(AppFixture::messages().size(), 2);
        QVERIFY(AppFixture::messages()[1].text.contains(QStringLiteral("只读")));
        QCOMPARE(fx.listedRows(), QStringList());
        sqlite3_exec(fx.db().handle(), "PRAGMA query_only = 0", nullptr, nullptr, nullptr);
        AppFixture::queueAnswer(kIdOther); // 不保存
        fx.command(kCmdViewYearGoal);
        QCOMPARE(fx.box("YearGoalEdit")->toPlainText(), QString());
        QVERIFY(testing::ShellSeam::ExitCodes().isEmpty());
    }

    // Typing not stored is asked about wherever its box is refilled or the program ends; 取消 changes nothing. A right
    // press on a control ends nothing.
    void unsavedTypingIsAskedAbout_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("shown"); // "key box|goal box", and "|ended" when the program ends
        // what each answer leaves: 保存, 不保存, 取消
        const std::tuple<const char*, const char*, const char*, const char*> rows[] = {
            {"search jump", "20180102|other day", "20180102|other day", "20180101|typed"},
            {"view", "20180102|other day", "20180102|other day", "20180102|typed"},
            {"close", "20180101|typed|ended", "20180101|typed|ended", "20180101|typed"},
            {"right-click exit", "20180101|typed|ended", "20180101|typed|ended", "20180101|typed"},
            {"restore", "20180101|typed", "20180101|restored", "20180101|typed"},
        };
        for (const auto& [trigger, saved, dropped, cancelled] : rows)
            for (const auto& [answer, name, shown] :
                 {std::tuple{kIdOk, "保存", saved}, {kIdOther, "不保存", dropped}, {kIdCancel, "取消", cancelled}})
                QTest::addRow("%s, %s", trigger, name)
                    << QString::fromLatin1(trigger) << answer << QString::fromLatin1(shown);
    }
    void unsavedTypingIsAskedAbout()
    {
        QFETCH(QString, trigger);
        QFETCH(int, answer);
        QFETCH(QString, shown);
        // 保存 stores the typing; else the day keeps what the file holds
        const QString stored = answer == kIdOk         ? QStringLiteral("typed")
                               : trigger == u"restore" ? QStringLiteral("restored")
                                                       : QString();
        AppFixture fx;
        SetGoal(fx.db(), Table::Ri, QStringLiteral("20180102"), QStringLiteral("other day"));
        QTest::keyClicks(fx.box("DayGoalEdit"), QStringLiteral("typed"));
        for (const char* child : {"btn110", "TodayLabel", "WebPane", "LauncherGroup"})
            QTest::mouseClick(fx.control(QLatin1String(child)), Qt::RightButton, {}, QPoint(5, 10));
        QVERIFY(AppFixture::messages().isEmpty() && testing::ShellSeam::ExitCodes().isEmpty());
        AppFixture::queueAnswer(answer);
        if (trigger == u"search jump") {
            fx.window()->showFound(PeriodKind::Day, QStringLiteral("20180102"), 0);
        } else if (trigger == u"view") {
            fx.keyBox("DayKeyEdit")->setText(QStringLiteral("20180102"));
            QTest::mouseClick(fx.button(kCmdViewDayGoal), Qt::LeftButton);
        } else if (trigger == u"close") {
            fx.window()->close();
        } else if (trigger == u"right-click exit") {
            QTest::mousePress(fx.window(), Qt::RightButton, {}, QPoint(50, 570));
        } else {
            WorkLog other; // the restored file holds another text
            other.open(fx.db().path());
            QVERIFY(other.storeGoalText(PeriodKind::Day, QStringLiteral("20180101"), QStringLiteral("restored")));
            fx.app().log.reopen(fx.db().path());
        }
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages()[0].buttons, MessageButtons::SaveDiscardCancel);
        QVERIFY(
            AppFixture::messages()[0].text.startsWith(QStringLiteral("日工作目标(20180101)中输入的内容还没有保存。")));
        QCOMPARE(GoalText(fx.db(), Table::Ri, QStringLiteral("20180101")), stored);
        const bool ended = !fx.window()->isVisible() || !testing::ShellSeam::ExitCodes().isEmpty();
        QCOMPARE(fx.keyBox("DayKeyEdit")->text() + u'|' + fx.box("DayGoalEdit")->toPlainText() +
                     (ended ? QStringLiteral("|ended") : QString()),
                 shown);
        QCOMPARE(fx.window()->panel(PeriodKind::Day)->hasUnsavedText(),
                 shown.contains(u"|typed") && stored != u"typed");
        QCOMPARE(fx.itemList()->items().goalId().has_value(), trigger == u"search jump" && answer != kIdCancel);
    }

    // 设置 by Ctrl+, the spot or the command: centred 20 px higher, the font in use, the data folder; 1 or 2 closes.
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
                QCOMPARE(name->text(), QFontInfo(fx.app().fontText).family());
                QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("edit1005"))->text(), QStringLiteral("9"));
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
            else if (how == closings[1].first)
                fx.control<QToolButton>(QStringLiteral("btn123"))->click();
            else
                fx.command(kCmdSettings);
            QVERIFY2(result == expected, how);
        }
        QCOMPARE(fx.modals.unexpected(), 0);
        QCOMPARE(testing::ShellSeam::Opened(), QStringList(std::size(closings), fx.dataDir()));

        auto* menu = fx.control<QMenu>(QStringLiteral("SettingsMenu"));
        QCOMPARE(menu->actions()[0]->text() + menu->actions()[1]->text(),
                 QStringLiteral("设置...\tCtrl+,搜索...\tCtrl+F"));
        QVERIFY(!fx.window()->findChild<SearchDialog*>());
        menu->actions()[1]->trigger();
        QVERIFY(fx.window()->findChild<SearchDialog*>()->isVisible());
        QString report;
        fx.modals.next<ReportDialog>([&](ReportDialog* d) { report = d->windowTitle(); });
        menu->actions()[2]->trigger();
        QCOMPARE(report, QStringLiteral("工作报告"));
    }

    // A font from 设置 reaches the boxes and comes back next start; a bad one is refused. "*": an installed family.
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
             {next.box("YearGoalEdit"), next.box("ReminderEdit"), dialog.findChild<QPlainTextEdit*>("contentEdit")})
            QCOMPARE(box->font(), expected);
        QCOMPARE(next.itemList()->font(), expected);
        QCOMPARE(next.box("YearGoalEdit")->geometry(), QRect(5, 57, 486, 90));
    }

    // Dialog 133: unchanged lines keep their bytes; "#n" chooses line n, "=t" types t.
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

    // 备份与恢复 from 设置: back up, restore (asked first), an unwritable folder told; 设置 shows the result.
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

                QVERIFY(fx.app().log.storeGoalText(PeriodKind::Year, QStringLiteral("2018"), newer));
                QCOMPARE(fx.box("YearGoalEdit")->toPlainText(), newer);
                Clock::SetForTest(QDateTime(QDate(2018, 1, 2), QTime(10, 0)));
                AppFixture::queueAnswer(kIdCancel);
                click("btnRestore");
                QCOMPARE(AppFixture::messages().last().buttons, MessageButtons::OkCancel);
                QCOMPARE(list->rowCount(), 1);
                click("btnRestore");
                QCOMPARE(AppFixture::messages().last().text, QStringLiteral("已恢复 2018-01-01 09:00:00 的备份。"));
                QCOMPARE(fx.box("YearGoalEdit")->toPlainText(), older);
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

    // Qt's own texts read Chinese: standard buttons, file dialogs, the replace prompt, the edit boxes' context menus.
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

    // The window follows the clock (timer or activation), except a key box changed or a day goal typed ("box=typed");
    // "goals at start": the boxes it moves from held goals when the program started.
    void theWindowFollowsTheDate_data()
    {
        QTest::addColumn<QDateTime>("before");
        QTest::addColumn<QDateTime>("after");
        QTest::addColumn<QDateTime>("then"); // a second midnight in the same run, seen on activation
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
        const QDateTime once; // no second midnight
        using Row = std::tuple<const char*, QDateTime, QDateTime, QDateTime, const char*, const char*, const char*,
                               const char*>;
        const Row rows[] = {
            {"ordinary day", at(2018, 3, 14, late), at(2018, 3, 15, early), once, "", "2018 201803 20180315",
             "||goal 20180315", none},
            {"31 December", at(2018, 12, 31, late), at(2019, 1, 1, early), once, "", "2019 201901 20190101",
             "goal 2019|goal 201901|goal 20190101", newYear},
            {"lunar month", at(2020, 4, 22, late), at(2020, 4, 23, early), once, "", "2020 202004 20200423",
             "||goal 20200423", lunarFirst},
            {"leap lunar month", at(2020, 5, 22, late), at(2020, 5, 23, early), once, "", "2020 202005 20200523",
             "||goal 20200523", lunarFirst},
            {"a year the file does not hold", at(2037, 12, 31, late), at(2038, 1, 1, early), once, "",
             "2038 203801 20380101", "||", newYear},
            {"last lunar month of the tables", at(2100, 12, 30, late), at(2100, 12, 31, early), once, "",
             "2100 210012 21001231", "||goal 21001231", "[本日提醒]:初一\n"},
            {"a start in a year the file does not hold", at(2040, 6, 14, late), at(2040, 6, 15, early), once, "",
             "2040 204006 20400615", "||goal 20400615", none},
            {"time zone moves the date back, seen on activation", at(2018, 4, 1, QTime(0, 30), 9),
             at(2018, 3, 31, QTime(23, 30)), once, "", "2018 201803 20180331", "|goal 201803|goal 20180331", none},
            {"unsaved day goal: the day box's reminders, named", at(2018, 12, 31, late), at(2019, 1, 1, early), once,
             "DayGoalEdit=draft", "2019 201901 20181231", "goal 2019|goal 201901|draft",
             "20181231 的提醒:\n[本日提醒]:冬月廿五\n"},
            {"two midnights in one run", at(2018, 12, 30, late), at(2018, 12, 31, early), at(2019, 1, 1, early), "",
             "2019 201901 20190101", "goal 2019|goal 201901|goal 20190101", newYear},
            {"month key changed", at(2018, 12, 31, late), at(2019, 1, 1, early), once, "MonthKeyEdit=201805",
             "2019 201805 20190101", "goal 2019||goal 20190101", newYear},
            {"goals in the boxes at start", at(2018, 12, 31, late), at(2019, 1, 1, early), once, "goals at start",
             "2019 201901 20190101", "goal 2019|goal 201901|goal 20190101", newYear},
        };
        for (const auto& [name, before, after, then, type, keys, goals, reminders] : rows)
            QTest::newRow(name) << before << after << then << QString::fromUtf8(type) << QString::fromUtf8(keys)
                                << QString::fromUtf8(goals) << QString::fromUtf8(reminders);
    }
    void theWindowFollowsTheDate()
    {
        QFETCH(QDateTime, before);
        QFETCH(QDateTime, after);
        QFETCH(QDateTime, then);
        QFETCH(QString, type);
        QFETCH(QString, keys);
        QFETCH(QString, goals);
        QFETCH(QString, reminders);
        const auto keysOf = [](QDate day) {
            return std::array{std::pair{Table::Nian, QString::number(day.year())},
                              std::pair{Table::Yue, FormatMonthKey(day.year(), day.month())},
                              std::pair{Table::Ri, FormatDayKey(day.year(), day.month(), day.day())}};
        };
        AppFixtureOptions options;
        options.now = before;
        if (type == u"goals at start")
            options.prepare = [&](const QString& dt) {
                ConnectionHolder c;
                OpenDatabase(c, DatabaseFile(dt));
                SeedPeriodTables(c);
                for (const auto& [table, key] : keysOf(before.date()))
                    SetGoal(c, table, key, QStringLiteral("goal ") + key);
            };
        AppFixture fx(options);
        for (const char* scheme : {"L0401=四月初一", "G0101=元旦", "L01=初一", "L1125=冬月廿五"})
            AddScheme(fx.db(), QString::fromUtf8(scheme));
        for (const auto& [table, key] : keysOf((then.isValid() ? then : after).date()))
            SetGoal(fx.db(), table, key, QStringLiteral("goal ") + key);
        if (type.contains(u'=')) {
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
        if (then.isValid()) {
            QCOMPARE(fx.keyBox("DayKeyEdit")->text(),
                     FormatDayKey(after.date().year(), after.date().month(), after.date().day()));
            Clock::SetForTest(then);
            QEvent activate(QEvent::WindowActivate);
            QApplication::sendEvent(fx.window(), &activate);
            QCOMPARE(fx.control<QLabel>(QStringLiteral("TodayLabel"))->text(), BuildTodayLine(CRiLi()));
        }
        QCOMPARE(fx.keyBox("YearKeyEdit")->text() + u' ' + fx.keyBox("MonthKeyEdit")->text() + u' ' +
                     fx.keyBox("DayKeyEdit")->text(),
                 keys);
        QCOMPARE(fx.box("YearGoalEdit")->toPlainText() + u'|' + fx.box("MonthGoalEdit")->toPlainText() + u'|' +
                     fx.box("DayGoalEdit")->toPlainText(),
                 goals);
        QCOMPARE(fx.box("ReminderEdit")->toPlainText(), reminders);
        QVERIFY(fx.itemList()->isHidden());
        QVERIFY(AppFixture::messages().isEmpty());
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
