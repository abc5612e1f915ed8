#include "support/app_fixture.h"
#include "support/database.h"
#include "app/command_ids.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"

#include <QLabel>
#include <QRadioButton>
#include <QTableWidget>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

const QString kNotFound = QStringLiteral("数据库中不存在该条记录,请选择一个大于20180101的年月");
const QString kChooseFirst = QStringLiteral("请先选择要查看年/月/日等的细项");
const QString kItemGone = QStringLiteral("该工作内容已不存在(可能已被删除),请重新查看细项");

// One goal row of the main window.
struct GoalRow {
    Table table;
    const char* key;
    const char* goal;
    int view, modify, items;
    QString key1, key2;
};

const GoalRow kRows[] = {
    {Table::Nian, "YearKeyEdit", "YearGoalEdit", 110, 111, 112, "2018", "2037"},
    {Table::Yue, "MonthKeyEdit", "MonthGoalEdit", 113, 114, 115, "201801", "201802"},
    {Table::Ri, "DayKeyEdit", "DayGoalEdit", 116, 117, 118, "20180101", "20200229"},
};

// The list as shown: one "done|note|content|number|id" line per row, the id the row acts on.
QStringList Shown(const WorkItemView* list)
{
    QStringList rows;
    const WorkItemModel& model = list->items();
    for (int row = 0; row < model.rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < WorkItemModel::kColumnCount; ++column)
            cells << model.index(row, column).data().toString();
        rows << cells.join(u'|') + u'|' + QString::number(model.itemId(row));
    }
    return rows;
}

// Every item of the file, "table id content|note|done" each: what a command must leave alone.
QStringList EveryItem(ConnectionHolder& c)
{
    QStringList lines;
    for (Table table : {Table::NianNext, Table::YueNext, Table::RiNext})
        ReadRows(
            c, {QStringLiteral("SELECT IDME, nr, wcqk, IsOk FROM %1 ORDER BY IDME").arg(TableName(table)), {}, table},
            [&](const std::vector<Value>& row) {
                lines << QStringLiteral("%1 %2 %3|%4|%5")
                             .arg(TableName(table), row[0].toText(), row[1].toText(), row[2].toText(), row[3].toText());
                return true;
            });
    return lines;
}

// Items under other goals first, some deleted again: ids run ahead of list numbers and have gaps.
void AddItemsElsewhere(ConnectionHolder& c)
{
    for (const auto& [table, key] : {std::pair{Table::Ri, "20171231"}, {Table::Yue, "201712"}, {Table::Nian, "2017"}}) {
        const int goal = GoalId(c, table, QString::fromLatin1(key));
        for (int n = 0; n < 4; ++n)
            AddItem(c, table, goal, QStringLiteral("别处的工作 %1").arg(n), QStringLiteral("别处"), n % 2 == 1);
        RemoveWorkItem(c, table, AddItem(c, table, goal, QStringLiteral("删掉的")));
    }
}

} // namespace

class TestGoals : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    QStringList elsewhere; // the items of other goals, as the test found them
    // Every item the test did not touch is as it was: those of other goals, and the day's but the one changed.
    void onlyChanged(const QStringList& changedDayItems)
    {
        QStringList now = EveryItem(fx->db());
        QStringList expected = elsewhere;
        for (const QString& line : changedDayItems)
            expected << line;
        std::sort(now.begin(), now.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(now, expected);
    }
    QString dayLine(const WorkItem& item) const
    {
        return QStringLiteral("RiNext %1 %2|%3|%4").arg(item.id).arg(item.content, item.note).arg(item.done ? 1 : 0);
    }
    QStringList dayLines() const
    {
        QStringList lines;
        for (const WorkItem& item : dayItems())
            lines << dayLine(item);
        return lines;
    }

    WorkItemView* list() const { return fx->itemList(); }
    int rows() const { return list()->model()->rowCount(); }
    int dayGoal() const { return GoalId(fx->db(), Table::Ri, QStringLiteral("20180101")); }
    std::vector<WorkItem> dayItems() const { return Items(fx->db(), Table::Ri, QStringLiteral("20180101")); }
    void click(int command) { QTest::mouseClick(fx->button(command), Qt::LeftButton); }
    void clickRow(int row, bool twice = false)
    {
        const QPoint at = list()->visualRect(list()->model()->index(row, WorkItemModel::kContentColumn)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, at);
        if (twice)
            QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, at);
    }
    // 新  增 with the content typed into dialog 134.
    void add(const QString& content)
    {
        fx->modals.next<AddItemDialog>([content](AddItemDialog* d) {
            In<QPlainTextEdit>(d, "contentEdit")->setPlainText(content);
            QTest::mouseClick(In<QPushButton>(d, "okButton"), Qt::LeftButton);
        });
        click(kCmdAddItem);
    }
    // 修  改 of the marked row: the answer gets dialog 135.
    void edit(std::function<void(EditItemDialog*)> answer)
    {
        fx->modals.next<EditItemDialog>(std::move(answer));
        click(kCmdEditItem);
    }

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        AddItemsElsewhere(fx->db());
        elsewhere = EveryItem(fx->db());
        AppFixture::clearMessages();
    }
    void cleanup()
    {
        QCOMPARE(fx->modals.unexpected(), 0);
        QCOMPARE(fx->modals.pending(), 0);
        fx.reset();
    }

    // 查看 and 修改 by typed key, whole texts; a missing key is told and changes nothing; other boxes stay.
    void goalsAreViewedAndModifiedByKey_data()
    {
        QTest::addColumn<int>("row");
        QTest::newRow("year") << 0;
        QTest::newRow("month") << 1;
        QTest::newRow("day") << 2;
    }
    void goalsAreViewedAndModifiedByKey()
    {
        QFETCH(int, row);
        const GoalRow& r = kRows[row];
        QLineEdit* key = fx->keyBox(r.key);
        QPlainTextEdit* goal = fx->box(r.goal);
        QPlainTextEdit* other = fx->box(kRows[(row + 1) % 3].goal);
        other->setPlainText(QStringLiteral("other box"));
        SetGoal(fx->db(), r.table, r.key1, QStringLiteral("另一个目标\n第二行"));
        key->setText(r.key1);
        fx->command(r.view);
        QCOMPARE(goal->toPlainText(), QStringLiteral("另一个目标\n第二行"));
        key->setText(r.key2);
        fx->command(r.view);
        QCOMPARE(goal->toPlainText(), QString());

        QString text;
        for (int i = 0; text.size() < 100000; ++i)
            text += QStringLiteral("第%1行目标,'引号'\n").arg(i);
        goal->setPlainText(text);
        fx->command(r.modify);
        QCOMPARE(GoalText(fx->db(), r.table, r.key2), text);
        key->setText(r.key1);
        goal->clear();
        fx->command(r.modify);
        QCOMPARE(GoalText(fx->db(), r.table, r.key1), QString());
        key->setText(r.key2);
        fx->command(r.view);
        QCOMPARE(goal->toPlainText(), text);
        QCOMPARE(AppFixture::texts(), (QStringList{"修改完成", "修改完成"}));

        AppFixture::clearMessages();
        const QStringList missing = {"2017", " 2026", "2018' or '1'='1", r.key1 + u'\'', row ? "2018" : "201801"};
        for (const QString& k : missing) {
            key->setText(k);
            goal->setPlainText(QStringLiteral("kept"));
            fx->command(r.view);
            QCOMPARE(goal->toPlainText(), QStringLiteral("kept"));
            fx->command(r.modify);
        }
        QCOMPARE(AppFixture::texts(), QStringList(2 * missing.size(), kNotFound));
        QCOMPARE(GoalText(fx->db(), r.table, r.key2), text);
        QCOMPARE(other->toPlainText(), QStringLiteral("other box"));
        QVERIFY(!list()->items().goalId());
    }

    // Two programs on one log: 修改 over a goal the other stored since it was loaded asks; each answer keeps what it
    // says.
    void aGoalStoredMeanwhileByAnotherProgramIsNotLostUnseen_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("stored");
        QTest::newRow("保留两者") << kIdOk << QStringLiteral("mine\n——— 另一个窗口保存的内容 ———\ntheirs\r\nline 2");
        QTest::newRow("覆盖") << kIdOther << QStringLiteral("mine");
        QTest::newRow("取消") << kIdCancel << QStringLiteral("theirs\r\nline 2");
    }
    void aGoalStoredMeanwhileByAnotherProgramIsNotLostUnseen()
    {
        QFETCH(int, answer);
        QFETCH(QString, stored);
        const QString day = QStringLiteral("20180101");
        WorkLog other;
        other.open(fx->db().path());
        QVERIFY(other.storeGoalText(PeriodKind::Day, day, QStringLiteral("first\r\n")));
        click(kCmdViewDayGoal); // loads "first\n": a CR LF read back as shown is no change
        fx->box("DayGoalEdit")->setPlainText(QStringLiteral("mine"));
        QVERIFY(other.storeGoalText(PeriodKind::Day, day, QStringLiteral("theirs\r\nline 2")));
        AppFixture::queueAnswer(answer);
        click(kCmdModifyDayGoal);
        QCOMPARE(GoalText(fx->db(), Table::Ri, day), stored);
        QCOMPARE(AppFixture::messages()[0].buttons, MessageButtons::KeepBothOverwriteCancel);
        QCOMPARE(fx->box("DayGoalEdit")->toPlainText(),
                 answer == kIdCancel ? QStringLiteral("mine") : QString(stored).remove(u'\r'));
        AppFixture::clearMessages();
        AppFixture::queueAnswer(kIdCancel);
        click(kCmdModifyDayGoal); // asked again after 取消; stored at once after a store here
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages()[0].buttons,
                 answer == kIdCancel ? MessageButtons::KeepBothOverwriteCancel : MessageButtons::Ok);
    }

    // Items go under the listed goal of their table, shown as stored.
    void itemsAreListedAndAddedUnderTheirGoal()
    {
        const int goal = dayGoal();
        const int first = AddItem(fx->db(), Table::Ri, goal, QStringLiteral("plan"));
        const int second = AddItem(fx->db(), Table::Ri, goal, QStringLiteral("ship"), QStringLiteral("on time"), 1);
        AddItem(fx->db(), Table::Ri, goal + 1, QStringLiteral("another day"));
        click(kCmdDayItems);
        QVERIFY(first > 2);
        QCOMPARE(Shown(list()), (QStringList{QStringLiteral("未完成||plan|1|%1").arg(first),
                                             QStringLiteral("OK|on time|ship|2|%1").arg(second)}));
        add(QStringLiteral("   ")); // blanks are content
        const QStringList added = Shown(list());
        QCOMPARE(added.last(), QStringLiteral("未完成||   |3|%1").arg(dayItems().back().id));
        click(kCmdDayItems);
        QCOMPARE(Shown(list()), added);

        for (const GoalRow& r : {kRows[0], kRows[1]}) {
            click(r.items);
            QCOMPARE(rows(), 0);
            add(TableName(r.table));
            const std::vector<WorkItem> stored = Items(fx->db(), r.table, fx->keyBox(r.key)->text());
            QCOMPARE(stored.size(), 1u);
            QCOMPARE(stored[0].content, TableName(r.table));
            QVERIFY(stored[0].note.isEmpty() && !stored[0].done);
        }
        QCOMPARE(dayItems().size(), 3u);
        QVERIFY(AppFixture::messages().isEmpty());
    }

    // Without a listed goal (none yet, not found, lookup failed) 新增 is refused.
    void addWithoutAListedGoalIsRefused_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("nothing listed yet") << 0;
        QTest::newRow("key without goal") << 1;
        QTest::newRow("file locked by another program") << 2;
    }
    void addWithoutAListedGoalIsRefused()
    {
        QFETCH(int, how);
        if (how > 0) {
            click(kCmdDayItems);
            QCOMPARE(list()->items().goalId(), std::optional<int>(dayGoal()));
        }
        sqlite3* other = nullptr;
        if (how == 2) {
            sqlite3_open(qPrintable(DatabaseFile(fx->dataDir())), &other);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_busy_timeout(fx->db().handle(), 0);
        }
        fx->keyBox("MonthKeyEdit")->setText(how == 1 ? QStringLiteral("299913") : QStringLiteral("201801"));
        if (how > 0)
            click(kCmdMonthItems);
        sqlite3_close(other);
        sqlite3_busy_timeout(fx->db().handle(), 5000);
        QCOMPARE(rows(), 0);
        QVERIFY(!list()->items().goalId());
        QCOMPARE(AppFixture::messages().size(), how == 2 ? 1 : 0);
        AppFixture::clearMessages();
        click(kCmdAddItem);
        QCOMPARE(AppFixture::texts(), QStringList{kChooseFirst});
        QCOMPARE(AppFixture::messages()[0].buttons, MessageButtons::Ok);
        QVERIFY(list()->isVisible());
        QVERIFY(Items(fx->db(), Table::Yue, QStringLiteral("201801")).empty() && dayItems().empty());
    }

    // Empty content refused; Enter presses the default button, Ctrl+Enter breaks the line.
    void theDialogsTakeTheirKeys()
    {
        click(kCmdDayItems);
        fx->modals.next<AddItemDialog>([](AddItemDialog* d) {
            QTest::mouseClick(In<QPushButton>(d, "okButton"), Qt::LeftButton);
            QVERIFY(d->isVisible());
            QCOMPARE(AppFixture::texts(), QStringList{"请输入工作内容再新增"});
            auto* content = In<QPlainTextEdit>(d, "contentEdit");
            QTest::keyClicks(content, QStringLiteral("first"));
            QTest::keyClick(content, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClicks(content, QStringLiteral("second"));
            QTest::keyClick(content, Qt::Key_Return);
            QCOMPARE(d->result(), 1);
        });
        click(kCmdAddItem);
        QCOMPARE(dayItems().at(0).content, QStringLiteral("first\nsecond"));
        clickRow(0);
        edit([](EditItemDialog* d) {
            auto* note = In<QPlainTextEdit>(d, "noteEdit");
            QTest::keyClicks(note, QStringLiteral("a"));
            QTest::keyClick(note, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
            QTest::keyClicks(note, QStringLiteral("b"));
            auto* cancel = In<QPushButton>(d, "cancelButton");
            cancel->setFocus();
            QTest::keyClick(cancel, Qt::Key_Return);
            QCOMPARE(d->result(), 2);
        });
        QVERIFY(dayItems().at(0).note.isEmpty());
        edit([](EditItemDialog* d) {
            QTest::keyClicks(In<QPlainTextEdit>(d, "noteEdit"), QStringLiteral("a"));
            QTest::keyClick(In<QPlainTextEdit>(d, "noteEdit"), Qt::Key_Enter, Qt::KeypadModifier);
        });
        QCOMPARE(dayItems().at(0).note, QStringLiteral("a"));
    }

    // 修  改 (button or double click) stores the item whole; 取消 changes nothing.
    void itemsAreChangedWhole_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophes") << QStringLiteral("it's O'Brien''s ' ; drop table RiNext; --");
        QTest::newRow("line breaks") << QStringLiteral("first\nsecond\n\n\tfourth\n");
        QTest::newRow("outside GBK") << QStringLiteral("完成 😀🎉 𠀀 ß ☃");
        QTest::newRow("100 000 characters") << QStringLiteral("工作内容 work 😀\n").repeated(6250);
    }
    void itemsAreChangedWhole()
    {
        QFETCH(QString, text);
        const int id = AddItem(fx->db(), Table::Ri, dayGoal(), QStringLiteral("first"));
        click(kCmdDayItems);
        add(text);
        QCOMPARE(list()->model()->index(1, WorkItemModel::kContentColumn).data().toString(), text);
        fx->modals.next<EditItemDialog>([&](EditItemDialog* d) {
            QCOMPARE(In<QPlainTextEdit>(d, "contentEdit")->toPlainText(), text);
            QVERIFY(In<QRadioButton>(d, "notDoneRadio")->isChecked());
            In<QPlainTextEdit>(d, "noteEdit")->setPlainText(text);
            QTest::mouseClick(In<QRadioButton>(d, "doneRadio"), Qt::LeftButton);
            QTest::mouseClick(In<QPushButton>(d, "okButton"), Qt::LeftButton);
        });
        clickRow(1, true);
        const int added = dayItems().back().id;
        QCOMPARE(Shown(list()).last(), QStringLiteral("OK|%1|%1|2|%2").arg(text).arg(added));
        onlyChanged({dayLine({id, "first", {}, false}), dayLine({added, text, text, true})});
        click(kCmdDayItems);
        QCOMPARE(Shown(list()).last(), QStringLiteral("OK|%1|%1|2|%2").arg(text).arg(added));
        clickRow(0);
        edit([](EditItemDialog* d) {
            In<QPlainTextEdit>(d, "contentEdit")->setPlainText(QStringLiteral("changed"));
            QTest::mouseClick(In<QRadioButton>(d, "doneRadio"), Qt::LeftButton);
            QTest::mouseClick(In<QPushButton>(d, "cancelButton"), Qt::LeftButton);
        });
        clickRow(1);
        edit([](EditItemDialog* d) {
            QVERIFY(In<QRadioButton>(d, "doneRadio")->isChecked());
            QTest::mouseClick(In<QRadioButton>(d, "notDoneRadio"), Qt::LeftButton);
            In<QPlainTextEdit>(d, "contentEdit")->clear();
            In<QPlainTextEdit>(d, "noteEdit")->clear();
            QTest::mouseClick(In<QPushButton>(d, "okButton"), Qt::LeftButton);
        });
        QCOMPARE(Shown(list()), (QStringList{QStringLiteral("未完成||first|1|%1").arg(id),
                                             QStringLiteral("未完成|||2|%1").arg(added)}));
        onlyChanged({dayLine({id, "first", {}, false}), dayLine({added, {}, {}, false})});
    }

    // 删  除 asks; nothing marked, nothing done; numbers kept until the next listing.
    void deletingAsksAndKeepsTheNumbers()
    {
        for (const char* content : {"one", "two", "three"})
            AddItem(fx->db(), Table::Ri, dayGoal(), QString::fromLatin1(content));
        click(kCmdDayItems);
        click(kCmdEditItem);
        click(kCmdDeleteItem);
        QVERIFY(AppFixture::messages().isEmpty());
        clickRow(1);
        AppFixture::queueAnswer(kIdCancel);
        click(kCmdDeleteItem);
        QCOMPARE(AppFixture::texts(), (QStringList{"是否确定删除!", "caption: 删除确认"}));
        QCOMPARE(AppFixture::messages()[0].buttons, MessageButtons::OkCancel);
        QCOMPARE(rows(), 3);
        const QStringList before = dayLines();
        click(kCmdDeleteItem);
        QCOMPARE(list()->currentIndex().row(), -1);
        onlyChanged({before[0], before[2]});
        click(kCmdDeleteItem); // nothing marked: not asked again
        QCOMPARE(AppFixture::messages().size(), 2);
        add(QStringLiteral("four"));
        QStringList numbers;
        for (const QString& row : Shown(list()))
            numbers << row.section(u'|', 2, 3);
        QCOMPARE(numbers, (QStringList{"one|1", "three|3", "four|3"}));
        click(kCmdDayItems);
        QCOMPARE(list()->model()->index(2, WorkItemModel::kNumberColumn).data().toString(), QStringLiteral("3"));
        QCOMPARE(dayItems().size(), 3u);
    }

    // An item deleted by another program, before or during the dialog: told, nothing written.
    void anItemDeletedMeanwhileIsReported()
    {
        const int gone = AddItem(fx->db(), Table::Ri, dayGoal(), QStringLiteral("gone"));
        const int later = AddItem(fx->db(), Table::Ri, dayGoal(), QStringLiteral("later"));
        click(kCmdDayItems);
        const QStringList before = Shown(list());
        ConnectionHolder other;
        OpenDatabase(other, DatabaseFile(fx->dataDir()));
        RemoveWorkItem(other, Table::Ri, gone);
        clickRow(0);
        click(kCmdEditItem); // no dialog opens
        clickRow(1);
        edit([&](EditItemDialog* d) {
            RemoveWorkItem(other, Table::Ri, later);
            In<QPlainTextEdit>(d, "contentEdit")->setPlainText(QStringLiteral("edited"));
            QTest::mouseClick(In<QPushButton>(d, "okButton"), Qt::LeftButton);
        });
        QCOMPARE(AppFixture::texts(), (QStringList{kItemGone, kItemGone}));
        QCOMPARE(Shown(list()), before);
        QVERIFY(dayItems().empty());
        onlyChanged({});
    }
};

QTEST_MAIN(TestGoals)
#include "tst_goals.moc"
