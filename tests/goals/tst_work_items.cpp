// The work items under a goal, driven through the real main window and dialogs
// 134 and 135 as a user would: list, add, change, complete and delete.

#include "app/test_app_fixture.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "goals/item_test_support.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::test;

namespace {

const QString kDayKey = QStringLiteral("20180101");
const QString kNotDone = QString::fromUtf8("未完成");

} // namespace

class TestWorkItems : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    std::unique_ptr<DialogAnswers> answers;

    QTableWidget* list() const { return fx->app().ItemList; }

    void click(int commandId) { QTest::mouseClick(fx->button(commandId), Qt::LeftButton); }

    // 新  增 with the content typed into dialog 134.
    void addThroughDialog(const QString& content)
    {
        answers->expect<AddItemDialog>([content](AddItemDialog* dialog) {
            Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(content);
            QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        });
        click(120);
    }

    int dayGoal() const { return GoalId(Table::Ri, kDayKey); }

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        AppFixture::clearMessages();
        answers = std::make_unique<DialogAnswers>();
    }

    void cleanup()
    {
        if (answers)
            QCOMPARE(answers->unexpected(), 0);
        answers.reset();
        fx.reset();
    }

    // ---- listing and the pane switch

    void theListReplacesTheWebPane()
    {
        QVERIFY(fx->app().WebPane->isVisible());
        QVERIFY(!list()->isVisible());
        QCOMPARE(fx->app().WebPaneShown, 1);

        click(112);
        QVERIFY(list()->isVisible());
        QVERIFY(!fx->app().WebPane->isVisible());
        QCOMPARE(fx->app().WebPaneShown, 0);

        click(124);
        QVERIFY(fx->app().WebPane->isVisible());
        answers->expect<AddItemDialog>([](AddItemDialog* dialog) {
            QVERIFY(App().ItemList->isVisible()); // the list is in front before the dialog opens
            dialog->reject();
        });
        click(120);
        QCOMPARE(answers->pending(), 0);
        QVERIFY(list()->isVisible());
        QCOMPARE(fx->app().WebPaneShown, 0);
    }

    void listingShowsEachItemsCells()
    {
        const int goal = dayGoal();
        const int first = InsertItem(Table::Ri, goal, QStringLiteral("plan"), Value::Null(), 0);
        const int second = InsertItem(Table::Ri, goal, QStringLiteral("ship"), Value(QStringLiteral("on time")), 1);
        InsertItem(Table::Ri, goal + 1, QStringLiteral("another day"));

        click(118);
        QCOMPARE(list()->rowCount(), 2);
        QCOMPARE(RowTexts(list(), 0), (QStringList{kNotDone, "", "plan", "1", QString::number(first)}));
        QCOMPARE(RowTexts(list(), 1), (QStringList{"OK", "on time", "ship", "2", QString::number(second)}));
        QCOMPARE(fx->app().CurrentGoalId, goal);
    }

    void yearMonthAndDayItemsStayInTheirOwnTables()
    {
        click(112);
        addThroughDialog(QStringLiteral("year item"));
        click(115);
        addThroughDialog(QStringLiteral("month item"));
        click(118);
        addThroughDialog(QStringLiteral("day item"));

        const struct {
            Table goalTable;
            const char* key;
            int command;
            const char* content;
        } kinds[] = {{Table::Nian, "2018", 112, "year item"},
                     {Table::Yue, "201801", 115, "month item"},
                     {Table::Ri, "20180101", 118, "day item"}};
        for (const auto& kind : kinds) {
            const QList<StoredItem> stored = StoredItems(ItemTableOf(kind.goalTable));
            QCOMPARE(stored.size(), 1);
            QCOMPARE(stored[0].goalId, GoalId(kind.goalTable, QString::fromLatin1(kind.key)));
            QCOMPARE(stored[0].content.toText(), QString::fromLatin1(kind.content));
            click(kind.command);
            QCOMPARE(ColumnTexts(list(), 2), QStringList{QString::fromLatin1(kind.content)});
        }
    }

    void aMissingOrFailedLookupForgetsTheListedGoal_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::newRow("key without goal") << false;
        QTest::newRow("file locked by another program") << true;
    }
    void aMissingOrFailedLookupForgetsTheListedGoal()
    {
        QFETCH(bool, locked);
        click(118);
        QCOMPARE(fx->app().CurrentGoalId, dayGoal());
        if (locked) {
            // held past the busy timeout (shortened here): the goal lookup fails
            sqlite3* other = nullptr;
            sqlite3_open(qPrintable(DatabasePath(fx->exeDir())), &other);
            QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
            sqlite3_busy_timeout(App().connection.handle(), 0);
            click(115);
            sqlite3_close(other);
            sqlite3_busy_timeout(App().connection.handle(), 5000);
        } else {
            fx->app().MonthKeyEdit->setText(QStringLiteral("299913"));
            click(115);
        }
        QCOMPARE(list()->rowCount(), 0);
        QCOMPARE(fx->app().CurrentGoalId, -1);
        QCOMPARE(AppFixture::messages().size(), locked ? 1 : 0);

        AppFixture::clearMessages();
        click(120); // refused, not filed under the day goal in the month table
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages()[0].text, QString::fromUtf8("请先选择要查看年/月/日等的细项"));
        QVERIFY(StoredItems(Table::YueNext).isEmpty());
        QVERIFY(StoredItems(Table::RiNext).isEmpty());
    }

    // ---- adding

    void theFirstAddBeforeAnyListingIsRefused()
    {
        click(120);
        QCOMPARE(AppFixture::messages().size(), 1);
        const testing::ShownMessage& shown = AppFixture::messages()[0];
        QCOMPARE(shown.text, QString::fromUtf8("请先选择要查看年/月/日等的细项"));
        QCOMPARE(shown.caption, shown.text);
        QCOMPARE(shown.buttons, MessageButtons::Ok);
        QVERIFY(list()->isVisible());
        QVERIFY(StoredItems(Table::RiNext).isEmpty());
    }

    void anEmptyGoalListedThenAddIsAccepted()
    {
        click(118);
        QCOMPARE(list()->rowCount(), 0);
        addThroughDialog(QString::fromUtf8("写周报"));
        QCOMPARE(answers->pending(), 0);
        QVERIFY(AppFixture::messages().isEmpty());
        const QList<StoredItem> stored = StoredItems(Table::RiNext);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].goalId, dayGoal());
        QCOMPARE(stored[0].content.toText(), QString::fromUtf8("写周报"));
        QVERIFY(stored[0].note.isNull());
        QCOMPARE(stored[0].isOk, 0);
    }

    void aNewRowShowsNotDoneTheNextNumberAndItsIdLikeAFreshListing()
    {
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("one"));
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("two"), Value(QStringLiteral("half")), 1);
        click(118);
        addThroughDialog(QStringLiteral("three"));

        const QList<StoredItem> stored = StoredItems(Table::RiNext);
        QCOMPARE(stored.size(), 3);
        QCOMPARE(RowTexts(list(), 2), (QStringList{kNotDone, "", "three", "3", QString::number(stored[2].id)}));
        QStringList shown;
        for (int row = 0; row < 3; ++row)
            shown << RowTexts(list(), row);
        click(118);
        QStringList relisted;
        for (int row = 0; row < list()->rowCount(); ++row)
            relisted << RowTexts(list(), row);
        QCOMPARE(relisted, shown);
    }

    void anEmptyContentIsRefusedAndTheDialogStaysOpen()
    {
        click(118);
        answers->expect<AddItemDialog>([](AddItemDialog* dialog) {
            QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            QCOMPARE(AppFixture::messages().size(), 1);
            QCOMPARE(AppFixture::messages()[0].text, QString::fromUtf8("请输入工作内容再新增"));
            QCOMPARE(AppFixture::messages()[0].caption, QString::fromUtf8("请输入工作内容再新增"));
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(!dialog->isVisible());
            QCOMPARE(dialog->result(), 2);
        });
        click(120);
        QCOMPARE(answers->pending(), 0);
        QCOMPARE(list()->rowCount(), 0);
        QVERIFY(StoredItems(Table::RiNext).isEmpty());

        addThroughDialog(QStringLiteral("   ")); // blanks are content
        QCOMPARE(ColumnTexts(list(), 2), QStringList{"   "});
        QCOMPARE(StoredItems(Table::RiNext).size(), 1);
    }

    void enterPressesTheDefaultButtonAndCtrlEnterBreaksTheLine()
    {
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("old"));
        click(118);
        answers->expect<AddItemDialog>([](AddItemDialog* dialog) {
            auto* edit = Child<QPlainTextEdit>(dialog, "contentEdit");
            QTest::keyClicks(edit, QStringLiteral("first"));
            QTest::keyClick(edit, Qt::Key_Return, Qt::ControlModifier);
            QTest::keyClicks(edit, QStringLiteral("second"));
            QTest::keyClick(edit, Qt::Key_Return);
            QCOMPARE(dialog->result(), 1);
        });
        click(120);
        QCOMPARE(list()->item(1, 2)->text(), QStringLiteral("first\nsecond"));

        ClickRow(list(), 0);
        answers->expect<EditItemDialog>([](EditItemDialog* dialog) {
            auto* note = Child<QPlainTextEdit>(dialog, "noteEdit");
            QTest::keyClicks(note, QStringLiteral("a"));
            QTest::keyClick(note, Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
            QTest::keyClicks(note, QStringLiteral("b"));
            QTest::keyClick(note, Qt::Key_Enter, Qt::KeypadModifier);
            QCOMPARE(dialog->result(), 1);
        });
        click(121);
        QCOMPARE(StoredItems(Table::RiNext)[0].note.toText(), QStringLiteral("a\nb"));
    }

    // ---- changing and completing

    void markingDoneShowsOkAndStoresIsOk()
    {
        const int id = InsertItem(Table::Ri, dayGoal(), QStringLiteral("report"));
        click(118);
        ClickRow(list(), 0);
        answers->expect<EditItemDialog>([](EditItemDialog* dialog) {
            QCOMPARE(Child<QPlainTextEdit>(dialog, "contentEdit")->toPlainText(), QStringLiteral("report"));
            QVERIFY(Child<QRadioButton>(dialog, "notDoneRadio")->isChecked());
            QTest::mouseClick(Child<QRadioButton>(dialog, "doneRadio"), Qt::LeftButton);
            QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        });
        click(121);
        QCOMPARE(RowTexts(list(), 0), (QStringList{"OK", "", "report", "1", QString::number(id)}));
        QCOMPARE(StoredItems(Table::RiNext)[0].isOk, 1);
        click(118);
        QCOMPARE(list()->item(0, 0)->text(), QStringLiteral("OK"));

        ClickRow(list(), 0);
        answers->expect<EditItemDialog>([](EditItemDialog* dialog) {
            QVERIFY(Child<QRadioButton>(dialog, "doneRadio")->isChecked());
            QTest::mouseClick(Child<QRadioButton>(dialog, "notDoneRadio"), Qt::LeftButton);
            Child<QPlainTextEdit>(dialog, "contentEdit")->clear();
            QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        });
        click(121);
        QCOMPARE(RowTexts(list(), 0), (QStringList{kNotDone, "", "", "1", QString::number(id)}));
        const StoredItem stored = StoredItems(Table::RiNext)[0];
        QCOMPARE(stored.isOk, 0);
        QCOMPARE(stored.content, Value(QString())); // emptied, not null
        QCOMPARE(stored.note, Value(QString()));
    }

    void cancelChangesNothing()
    {
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("keep"), Value(QStringLiteral("as is")));
        click(118);
        const QStringList before = RowTexts(list(), 0);
        ClickRow(list(), 0);
        answers->expect<EditItemDialog>([](EditItemDialog* dialog) {
            QCOMPARE(Child<QPlainTextEdit>(dialog, "noteEdit")->toPlainText(), QStringLiteral("as is"));
            Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(QStringLiteral("changed"));
            QTest::mouseClick(Child<QRadioButton>(dialog, "doneRadio"), Qt::LeftButton);
            QTest::mouseClick(Child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
        });
        click(121);
        QCOMPARE(answers->pending(), 0);
        QCOMPARE(RowTexts(list(), 0), before);
        const StoredItem stored = StoredItems(Table::RiNext)[0];
        QCOMPARE(stored.content.toText(), QStringLiteral("keep"));
        QCOMPARE(stored.isOk, 0);
    }

    void aDoubleClickOpensTheChangeDialog()
    {
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("first"));
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("second"));
        click(118);
        QString opened;
        answers->expect<EditItemDialog>([&opened](EditItemDialog* dialog) {
            opened = Child<QPlainTextEdit>(dialog, "contentEdit")->toPlainText();
            dialog->reject();
        });
        ClickRow(list(), 1, true);
        QCOMPARE(opened, QStringLiteral("second"));
    }

    void changeAndDeleteWithoutAMarkedRowDoNothing()
    {
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("only"));
        click(118);
        click(121);
        click(122);
        QVERIFY(AppFixture::messages().isEmpty());
        QCOMPARE(list()->rowCount(), 1);
        QCOMPARE(StoredItems(Table::RiNext).size(), 1);
    }

    void changingAnItemDeletedMeanwhileIsReported()
    {
        const int gone = InsertItem(Table::Ri, dayGoal(), QStringLiteral("gone"));
        const int later = InsertItem(Table::Ri, dayGoal(), QStringLiteral("later"));
        click(118);
        const QStringList before = RowTexts(list(), 0);
        const QStringList laterBefore = RowTexts(list(), 1);

        ConnectionHolder second; // a second window on the same file
        OpenDatabase(second, DatabasePath(fx->exeDir()));
        ExecuteStatement(second, stmt::DeleteItem(Table::RiNext, gone));
        ClickRow(list(), 0);
        click(121); // no dialog opens
        const QString message = QString::fromUtf8("该工作内容已不存在(可能已被删除),请重新查看细项");
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages()[0].text, message);
        QCOMPARE(RowTexts(list(), 0), before);

        ClickRow(list(), 1);
        answers->expect<EditItemDialog>([&second, later](EditItemDialog* dialog) {
            ExecuteStatement(second, stmt::DeleteItem(Table::RiNext, later));
            Child<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(QStringLiteral("edited"));
            QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        });
        click(121);
        QCOMPARE(AppFixture::messages().size(), 2);
        QCOMPARE(AppFixture::messages()[1].text, message);
        QCOMPARE(RowTexts(list(), 1), laterBefore);
        QVERIFY(StoredItems(Table::RiNext).isEmpty());
    }

    // ---- deleting

    void deleteAsksFirstAndCancelKeepsTheRow()
    {
        InsertItem(Table::Ri, dayGoal(), QStringLiteral("a"));
        const int b = InsertItem(Table::Ri, dayGoal(), QStringLiteral("b"));
        click(118);
        ClickRow(list(), 0);
        AppFixture::queueAnswer(kIdCancel);
        click(122);
        QCOMPARE(AppFixture::messages().size(), 1);
        const testing::ShownMessage& asked = AppFixture::messages()[0];
        QCOMPARE(asked.text, QString::fromUtf8("是否确定删除!"));
        QCOMPARE(asked.caption, QString::fromUtf8("删除确认"));
        QCOMPARE(asked.buttons, MessageButtons::OkCancel);
        QCOMPARE(ColumnTexts(list(), 2), (QStringList{"a", "b"}));
        QCOMPARE(StoredItems(Table::RiNext).size(), 2);

        click(122); // answered OK
        QCOMPARE(ColumnTexts(list(), 2), QStringList{"b"});
        const QList<StoredItem> stored = StoredItems(Table::RiNext);
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0].id, b);
        QCOMPARE(list()->currentRow(), -1); // nothing marked: a second press deletes nothing
        click(122);
        QCOMPARE(AppFixture::messages().size(), 2);
    }

    void numbersAfterDeletingTwoAndAddingAreOneThreeThree()
    {
        for (const char* content : {"one", "two", "three"})
            InsertItem(Table::Ri, dayGoal(), QString::fromLatin1(content));
        click(118);
        ClickRow(list(), 1);
        click(122);
        QCOMPARE(ColumnTexts(list(), 3), (QStringList{"1", "3"}));
        addThroughDialog(QStringLiteral("four"));
        QCOMPARE(ColumnTexts(list(), 3), (QStringList{"1", "3", "3"}));
        click(118);
        QCOMPARE(ColumnTexts(list(), 3), (QStringList{"1", "2", "3"}));
        QCOMPARE(ColumnTexts(list(), 2), (QStringList{"one", "three", "four"}));
    }

    // ---- texts kept whole

    void textsSurviveAddListChangeAndList_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("apostrophes") << QStringLiteral("it's O'Brien''s ' ; drop table RiNext; --");
        QTest::newRow("line breaks") << QStringLiteral("first\nsecond\n\n\tfourth\n");
        QTest::newRow("outside GBK") << QString::fromUtf8("完成 😀🎉 𠀀 ß ☃");
        QString huge;
        huge.reserve(100000);
        while (huge.size() < 100000)
            huge += QString::fromUtf8("工作内容 work 😀\n");
        huge.truncate(100000);
        QTest::newRow("100 000 characters") << huge;
    }

    void textsSurviveAddListChangeAndList()
    {
        QFETCH(QString, text);
        click(118);
        addThroughDialog(text);
        QCOMPARE(list()->item(0, 2)->text(), text);
        click(118);
        QCOMPARE(list()->item(0, 2)->text(), text);

        ClickRow(list(), 0);
        QString received;
        answers->expect<EditItemDialog>([&received, text](EditItemDialog* dialog) {
            received = Child<QPlainTextEdit>(dialog, "contentEdit")->toPlainText();
            Child<QPlainTextEdit>(dialog, "noteEdit")->setPlainText(text);
            QTest::mouseClick(Child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
        });
        click(121);
        QCOMPARE(received.size(), text.size());
        QCOMPARE(received, text);
        click(118);
        QCOMPARE(list()->item(0, 2)->text(), text);
        QCOMPARE(list()->item(0, 1)->text(), text);
        const StoredItem stored = StoredItems(Table::RiNext)[0];
        QCOMPARE(stored.content.toText(), text);
        QCOMPARE(stored.note.toText(), text);
    }

    // ---- the dialogs themselves

    void dialog134HasItsControlsAtTheirPlaces()
    {
        AddItemDialogData data;
        AddItemDialog dialog(fx->window(), data);
        QCOMPARE(data.dialog, &dialog);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("新增工作内容"));
        QCOMPARE(dialog.size(), JotrakDialog::Dlu(0, 0, 408, 182).size());
        auto* ok = Child<QPushButton>(&dialog, "okButton");
        QCOMPARE(ok->text(), QString::fromUtf8("新  增"));
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->geometry(), JotrakDialog::Dlu(100, 151, 58, 21));
        auto* cancel = Child<QPushButton>(&dialog, "cancelButton");
        QCOMPARE(cancel->text(), QString::fromUtf8("取  消"));
        QCOMPARE(cancel->geometry(), JotrakDialog::Dlu(248, 151, 58, 21));
        QCOMPARE(Child<QLabel>(&dialog, "contentLabel")->text(), QString::fromUtf8("工作内容:"));
        QCOMPARE(Child<QLabel>(&dialog, "contentLabel")->geometry(), JotrakDialog::Dlu(20, 15, 36, 8));
        QCOMPARE(Child<QPlainTextEdit>(&dialog, "contentEdit")->geometry(), JotrakDialog::Dlu(59, 7, 342, 139));
        QVERIFY(Child<QPlainTextEdit>(&dialog, "contentEdit")->toPlainText().isEmpty());
        dialog.show();
        QCOMPARE(dialog.focusWidget(), ok); // the focus starts on 新  增
    }

    void dialog135HasItsControlsAtTheirPlacesAndTheItemsState()
    {
        EditItemDialogData data;
        data.content = QStringLiteral("content");
        data.note = QStringLiteral("note");
        data.done = 1;
        EditItemDialog dialog(fx->window(), data);
        QCOMPARE(data.dialog, &dialog);
        QCOMPARE(dialog.windowTitle(), QString::fromUtf8("修改工作内容与设置完成情况"));
        QCOMPARE(dialog.size(), JotrakDialog::Dlu(0, 0, 461, 345).size());
        const struct {
            const char* name;
            const char* text;
            QRect rect;
        } controls[] = {
            {"okButton", "设   置", JotrakDialog::Dlu(135, 299, 59, 26)},
            {"cancelButton", "取   消", JotrakDialog::Dlu(267, 299, 59, 26)},
            {"contentLabel", "工作内容:", JotrakDialog::Dlu(7, 7, 36, 8)},
            {"contentEdit", "content", JotrakDialog::Dlu(51, 7, 403, 121)},
            {"noteLabel", "完成情况:", JotrakDialog::Dlu(7, 140, 36, 8)},
            {"noteEdit", "note", JotrakDialog::Dlu(51, 142, 403, 121)},
            {"notDoneRadio", "未完成", JotrakDialog::Dlu(170, 277, 40, 10)},
            {"doneRadio", "已完成", JotrakDialog::Dlu(250, 277, 40, 10)},
        };
        for (const auto& control : controls) {
            QWidget* widget = Child<QWidget>(&dialog, control.name);
            QVERIFY2(widget, control.name);
            QCOMPARE(widget->geometry(), control.rect);
            QString text;
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                text = button->text();
            else if (auto* label = qobject_cast<QLabel*>(widget))
                text = label->text();
            else
                text = qobject_cast<QPlainTextEdit*>(widget)->toPlainText();
            QCOMPARE(text, QString::fromUtf8(control.text));
        }
        QCOMPARE(data.contentEdit, Child<QPlainTextEdit>(&dialog, "contentEdit"));
        QCOMPARE(data.noteEdit, Child<QPlainTextEdit>(&dialog, "noteEdit"));
        QVERIFY(Child<QPushButton>(&dialog, "okButton")->isDefault());
        QVERIFY(Child<QRadioButton>(&dialog, "doneRadio")->isChecked());
        QVERIFY(!Child<QRadioButton>(&dialog, "notDoneRadio")->isChecked());
        dialog.show();
        QCOMPARE(dialog.focusWidget(), Child<QPushButton>(&dialog, "okButton"));
    }
};

QTEST_MAIN(TestWorkItems)
#include "tst_work_items.moc"
