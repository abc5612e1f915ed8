#include "app/command_ids.h"
#include "app/test_app_fixture.h"
#include "reminders/reminder_dialog.h"
#include "reminders/reminder_text.h"
#include "reminders/scheme_editing.h"
#include "reminders/scheme_rows.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QTimer>

#include <tuple>

#include <sqlite3.h>

using namespace jotrak;
using namespace jotrak::test;
using jotrak::testutil::AddSchemeRow;

namespace {

struct SchemeRow {
    int id = 0;
    QString ming;
    QString nr;
    QString shijian;
    qint64 lifa = 0;
};

QList<SchemeRow> SchemeRows()
{
    QList<SchemeRow> rows;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), App().connection);
    for (; !IsAtEnd(rs); MoveToNext(rs))
        rows.append({GetFieldValue(rs, QStringLiteral("IDME")).toInt(),
                     TextFromValue(GetFieldValue(rs, QStringLiteral("ming"))),
                     TextFromValue(GetFieldValue(rs, QStringLiteral("nr"))),
                     TextFromValue(GetFieldValue(rs, QStringLiteral("shijian"))),
                     GetFieldValue(rs, QStringLiteral("lifa")).toInteger()});
    return rows;
}

QStringList ListEntries(const QListWidget* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i)
        entries << list->item(i)->text();
    return entries;
}

QStringList MessageTexts()
{
    QStringList texts;
    for (const auto& message : AppFixture::messages()) {
        if (message.caption != message.text)
            texts << QStringLiteral("caption differs: ") + message.caption;
        texts << message.text;
    }
    return texts;
}

const QString kMonthMessage = QString::fromUtf16(kBadMonthMessage);
const QString kDayMessage = QString::fromUtf16(kBadDayMessage);

} // namespace

class TestReminderDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    std::unique_ptr<ReminderDialogState> state;
    std::unique_ptr<ReminderDialog> dialog;

    void openDialog()
    {
        dialog.reset();
        state = std::make_unique<ReminderDialogState>();
        dialog = std::make_unique<ReminderDialog>(fx->window(), *state);
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        AppFixture::clearMessages();
    }

    QLineEdit* edit(const char* name) { return dialog->findChild<QLineEdit*>(QString::fromLatin1(name)); }
    void press(const char* name) { QTest::mouseClick(dialog->findChild<QAbstractButton*>(name), Qt::LeftButton); }
    // Chooses a list entry with the mouse, as the user does.
    void choose(int row)
    {
        QListWidget* list = state->list;
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void fill(const QString& name, const QString& month, const QString& day, const QString& monthlyDay = {})
    {
        edit("nameEdit")->setText(name);
        edit("monthEdit")->setText(month);
        edit("dayEdit")->setText(day);
        if (!monthlyDay.isNull())
            edit("monthlyDayEdit")->setText(monthlyDay);
        state->contentEdit->setPlainText(name + QStringLiteral(" content"));
    }

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        openDialog();
    }
    void cleanup()
    {
        dialog.reset();
        state.reset();
        fx.reset();
    }

    void controlsSitAtTheirPlaces()
    {
        QCOMPARE(dialog->size(), JotrakDialog::Dlu(0, 0, 412, 226).size());
        const std::tuple<const char*, QRect> places[] = {
            {"okButton", JotrakDialog::Dlu(7, 207, 31, 12)},       {"exitButton", JotrakDialog::Dlu(219, 185, 53, 25)},
            {"gregorianRadio", JotrakDialog::Dlu(59, 31, 32, 10)}, {"lunarRadio", JotrakDialog::Dlu(123, 31, 32, 10)},
            {"monthEdit", JotrakDialog::Dlu(61, 47, 40, 14)},      {"dayEdit", JotrakDialog::Dlu(115, 47, 40, 14)},
            {"yearlyRadio", JotrakDialog::Dlu(31, 49, 32, 10)},    {"monthlyRadio", JotrakDialog::Dlu(31, 69, 32, 10)},
            {"monthlyDayEdit", JotrakDialog::Dlu(61, 66, 40, 14)}, {"contentEdit", JotrakDialog::Dlu(21, 92, 267, 87)},
            {"schemeList", JotrakDialog::Dlu(293, 19, 112, 200)},  {"nameEdit", JotrakDialog::Dlu(69, 12, 208, 14)},
            {"addButton", JotrakDialog::Dlu(24, 185, 53, 25)},     {"deleteButton", JotrakDialog::Dlu(89, 185, 53, 25)},
            {"modifyButton", JotrakDialog::Dlu(154, 185, 53, 25)}};
        for (const auto& [name, rect] : places) {
            const QWidget* widget = dialog->findChild<QWidget*>(QString::fromLatin1(name));
            QVERIFY2(widget && widget->geometry() == rect, name);
        }
        // every static text is whole and keeps a few pixels from the control to its right
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            const QRect text(label->pos(),
                             QSize(label->fontMetrics().horizontalAdvance(label->text()), label->height()));
            QVERIFY2(text.width() <= label->width(), qPrintable(label->text()));
            for (const QWidget* other : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                if (other != label && other->isVisible())
                    QVERIFY2(!text.adjusted(0, 0, 4, 0).intersects(other->geometry()), qPrintable(label->text()));
            }
        }
        QVERIFY(!dialog->findChild<QWidget*>(QStringLiteral("okButton"))->isVisible());
        QCOMPARE(state->calendarGroup->checkedId(), int(kGregorianRadio));
        QCOMPARE(state->repeatGroup->checkedId(), int(kYearlyRadio));
    }

    void yearlyDateIsStoredWithTwoDigitsAndShownOnReselect()
    {
        fill(QStringLiteral("A"), QStringLiteral("1"), QStringLiteral("5"));
        press("addButton");
        QVERIFY(AppFixture::messages().isEmpty());
        const QList<SchemeRow> rows = SchemeRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].shijian, QStringLiteral("0105"));
        QCOMPARE(rows[0].lifa, 0);
        QCOMPARE(rows[0].nr, QStringLiteral("A content"));
        QCOMPARE(edit("monthEdit")->text(), QStringLiteral("1")); // the edits keep what was typed
        QCOMPARE(edit("dayEdit")->text(), QStringLiteral("5"));

        openDialog();
        choose(0);
        QCOMPARE(state->selected, rows[0].id);
        QCOMPARE(edit("monthEdit")->text(), QStringLiteral("01"));
        QCOMPARE(edit("dayEdit")->text(), QStringLiteral("05"));
        QCOMPARE(edit("nameEdit")->text(), QStringLiteral("A"));
        QCOMPARE(state->contentEdit->toPlainText(), QStringLiteral("A content"));
    }

    void monthlyDayIsStoredWithTwoDigitsAndReloaded()
    {
        press("lunarRadio");
        press("monthlyRadio");
        fill(QStringLiteral("M"), QStringLiteral("6"), QStringLiteral("6"), QStringLiteral("9"));
        press("addButton");
        QCOMPARE(SchemeRows().value(0).shijian, QStringLiteral("09"));
        QCOMPARE(SchemeRows().value(0).lifa, 1);

        openDialog(); // a fresh record: Gregorian, yearly, nothing selected
        QCOMPARE(state->repeatGroup->checkedId(), int(kYearlyRadio));
        choose(0);
        QCOMPARE(edit("monthlyDayEdit")->text(), QStringLiteral("09"));
        QCOMPARE(edit("monthEdit")->text(), QStringLiteral("01"));
        QCOMPARE(edit("dayEdit")->text(), QStringLiteral("01"));
        QCOMPARE(state->repeatGroup->checkedId(), int(kMonthlyRadio));
        QCOMPARE(state->calendarGroup->checkedId(), int(kLunarRadio));
        QCOMPARE(state->repeat, 1);
        QCOMPARE(state->calendar, 1);
    }

    void invalidDatesAreRefusedWithTheirMessage_data()
    {
        QTest::addColumn<bool>("monthly");
        QTest::addColumn<QString>("month");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QString>("monthlyDay");
        QTest::addColumn<QString>("message");
        QTest::newRow("month 13") << false << "13"
                                  << "1"
                                  << "1" << kMonthMessage;
        QTest::newRow("month 0") << false << "0"
                                 << "1"
                                 << "1" << kMonthMessage;
        QTest::newRow("month letters") << false << "ab"
                                       << "1"
                                       << "1" << kMonthMessage;
        QTest::newRow("month empty") << false << ""
                                     << "1"
                                     << "1" << kMonthMessage;
        QTest::newRow("month checked before day") << false << "13"
                                                  << "32"
                                                  << "1" << kMonthMessage;
        QTest::newRow("day 32") << false << "12"
                                << "32"
                                << "1" << kDayMessage;
        QTest::newRow("day 0") << false << "12"
                               << "0"
                               << "1" << kDayMessage;
        QTest::newRow("monthly day 32") << true << "1"
                                        << "1"
                                        << "32" << kDayMessage;
        QTest::newRow("monthly day 0") << true << "1"
                                       << "1"
                                       << "0" << kDayMessage;
        QTest::newRow("monthly day empty") << true << "1"
                                           << "1"
                                           << "" << kDayMessage;
    }
    void invalidDatesAreRefusedWithTheirMessage()
    {
        QFETCH(bool, monthly);
        QFETCH(QString, month);
        QFETCH(QString, day);
        QFETCH(QString, monthlyDay);
        QFETCH(QString, message);
        if (monthly)
            press("monthlyRadio");
        fill(QStringLiteral("bad"), month, day, monthlyDay);
        press("addButton");
        QCOMPARE(MessageTexts(), QStringList{message});
        QVERIFY(SchemeRows().isEmpty());
        QCOMPARE(state->list->count(), 0);
        QCOMPARE(edit("monthEdit")->text(), month);
        QCOMPARE(edit("dayEdit")->text(), day);
        QCOMPARE(edit("monthlyDayEdit")->text(), monthlyDay);
    }

    void theOtherModesFieldIsIgnored()
    {
        press("monthlyRadio");
        fill(QStringLiteral("monthly"), QStringLiteral("13"), QStringLiteral("99"), QStringLiteral("15"));
        press("addButton");
        press("yearlyRadio");
        fill(QStringLiteral("yearly"), QStringLiteral("3"), QStringLiteral("15"), QStringLiteral("abc"));
        press("addButton");
        QVERIFY(AppFixture::messages().isEmpty());
        const QList<SchemeRow> rows = SchemeRows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].shijian, QStringLiteral("15"));
        QCOMPARE(rows[1].shijian, QStringLiteral("0315"));
    }

    void digitsFollowedByTextCountAsTheDigits()
    {
        fill(QStringLiteral("y"), QString::fromUtf8("3月"), QString::fromUtf8("3号"));
        press("addButton");
        press("monthlyRadio");
        fill(QStringLiteral("m"), QStringLiteral("1"), QStringLiteral("1"), QString::fromUtf8("3号"));
        press("addButton");
        QVERIFY(AppFixture::messages().isEmpty());
        QCOMPARE(SchemeRows().value(0).shijian, QStringLiteral("0303"));
        QCOMPARE(SchemeRows().value(1).shijian, QStringLiteral("03"));
        QCOMPARE(edit("monthlyDayEdit")->text(), QString::fromUtf8("3号"));
    }

    void addSelectsTheNewSchemeSoModifyCorrectsIt()
    {
        for (const char* name : {"A", "B"}) {
            fill(QString::fromLatin1(name), QStringLiteral("2"), QStringLiteral("2"));
            press("addButton");
        }
        choose(0);
        fill(QStringLiteral("C"), QStringLiteral("4"), QStringLiteral("4"));
        press("addButton");
        QCOMPARE(ListEntries(state->list), (QStringList{"A", "B", "C"}));
        QCOMPARE(state->selected, SchemeRows().value(2).id);
        QCOMPARE(state->list->currentRow(), 2);
        QVERIFY(state->list->item(2)->isSelected());

        fill(QStringLiteral("C2"), QStringLiteral("5"), QStringLiteral("5"));
        press("modifyButton");
        QCOMPARE(ListEntries(state->list), (QStringList{"A", "B", "C2"}));
        QCOMPARE(SchemeRows().value(0).shijian, QStringLiteral("0202")); // A, loaded before, is kept
        QCOMPARE(SchemeRows().value(2).shijian, QStringLiteral("0505"));
        QVERIFY(AppFixture::messages().isEmpty());
    }

    // Another program deletes schemes while the dialog is open: every entry keeps its own row.
    void entriesActOnTheirOwnRowWhenTxChangesBehindTheList()
    {
        const int a =
            AddSchemeRow(App().connection, QStringLiteral("0101"), 0, QStringLiteral("a"), QStringLiteral("A"));
        const int b =
            AddSchemeRow(App().connection, QStringLiteral("0202"), 0, QStringLiteral("b"), QStringLiteral("B"));
        AddSchemeRow(App().connection, QStringLiteral("0303"), 0, QStringLiteral("c"), QStringLiteral("C"));
        openDialog();
        ExecuteStatement(App().connection, stmt::DeleteScheme(a));
        choose(1);
        QCOMPARE(edit("nameEdit")->text(), QStringLiteral("B"));
        QCOMPARE(state->selected, b);

        choose(0);
        QCOMPARE(MessageTexts(), QStringList{QString::fromUtf16(kSchemeGoneMessage)});
        QCOMPARE(ListEntries(state->list), (QStringList{"B", "C"}));
        QCOMPARE(state->selected, b);

        ExecuteStatement(App().connection, stmt::DeleteScheme(b));
        AppFixture::clearMessages();
        press("modifyButton");
        QCOMPARE(MessageTexts(), QStringList{QString::fromUtf16(kSchemeGoneMessage)});
        QCOMPARE(ListEntries(state->list), QStringList{"C"});
        QCOMPARE(SchemeRows().value(0).nr, QStringLiteral("c"));
    }

    void modifyRewritesTheLoadedScheme()
    {
        AddSchemeRow(App().connection, QStringLiteral("0101"), 0, QStringLiteral("a"), QStringLiteral("A"));
        AddSchemeRow(App().connection, QStringLiteral("0202"), 0, QStringLiteral("b"), QStringLiteral("B"));
        openDialog();
        press("modifyButton"); // nothing loaded: nothing happens
        QVERIFY(AppFixture::messages().isEmpty());
        QCOMPARE(SchemeRows().value(0).nr, QStringLiteral("a"));

        choose(1);
        press("lunarRadio");
        press("monthlyRadio");
        fill(QStringLiteral("B2"), QStringLiteral("1"), QStringLiteral("1"), QStringLiteral("7"));
        press("modifyButton");
        const SchemeRow b = SchemeRows().value(1);
        QCOMPARE(b.ming, QStringLiteral("B2"));
        QCOMPARE(b.shijian, QStringLiteral("07"));
        QCOMPARE(b.lifa, 1);
        QCOMPARE(b.nr, QStringLiteral("B2 content"));
        QCOMPARE(state->selected, b.id);
        QCOMPARE(ListEntries(state->list), (QStringList{"A", "B2"}));
        QVERIFY(state->list->selectedItems().isEmpty());
        QCOMPARE(edit("nameEdit")->text(), QStringLiteral("B2"));
    }

    void modifyAfterDeleteReportsTheMissingScheme()
    {
        AddSchemeRow(App().connection, QStringLiteral("0101"), 0, QStringLiteral("a"), QStringLiteral("A"));
        AddSchemeRow(App().connection, QStringLiteral("0202"), 0, QStringLiteral("b"), QStringLiteral("B"));
        openDialog();
        choose(0);
        const int a = state->selected;
        press("deleteButton");
        QCOMPARE(ListEntries(state->list), QStringList{"B"});
        QCOMPARE(state->selected, a);
        QCOMPARE(edit("nameEdit")->text(), QString());
        QCOMPARE(edit("monthEdit")->text(), QStringLiteral("01"));
        QCOMPARE(edit("monthlyDayEdit")->text(), QStringLiteral("01"));

        fill(QStringLiteral("again"), QStringLiteral("3"), QStringLiteral("3"));
        press("modifyButton");
        QCOMPARE(MessageTexts(), QStringList{QString::fromUtf16(kSchemeGoneMessage)});
        QCOMPARE(SchemeRows().size(), 1);
        QCOMPARE(SchemeRows().value(0).ming, QStringLiteral("B"));
    }

    void deleteWithNothingSelectedRemovesNothing()
    {
        AddSchemeRow(App().connection, QStringLiteral("0101"), 0, QStringLiteral("a"), QStringLiteral("A"));
        openDialog();
        fill(QStringLiteral("typed"), QStringLiteral("5"), QStringLiteral("6"), QStringLiteral("7"));
        press("deleteButton");
        QCOMPARE(SchemeRows().size(), 1);
        QCOMPARE(ListEntries(state->list), QStringList{"A"});
        QCOMPARE(edit("nameEdit")->text(), QString()); // the fields are cleared all the same
        QCOMPARE(edit("dayEdit")->text(), QStringLiteral("01"));
        QVERIFY(state->contentEdit->toPlainText().isEmpty());
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void enterClosesWithOneEvenInTheContentBox_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("name edit") << "nameEdit";
        QTest::newRow("content edit") << "contentEdit";
        QTest::newRow("scheme list") << "schemeList";
    }
    void enterClosesWithOneEvenInTheContentBox()
    {
        QFETCH(QString, focus);
        auto* target = dialog->findChild<QWidget*>(focus);
        target->setFocus();
        QTest::keyClick(target, Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), 1);
        QVERIFY(SchemeRows().isEmpty());
    }

    void commandOpensTheDialogAndClosingLeavesTheReminderBox()
    {
        dialog.reset();
        QPlainTextEdit* reminders = App().ReminderEdit;
        QCOMPARE(reminders->toPlainText(), QString::fromUtf16(kNoReminders));
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto* open = qobject_cast<ReminderDialog*>(QApplication::activeModalWidget());
            seen = open != nullptr;
            if (!open)
                return;
            open->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText(QStringLiteral("new year"));
            open->findChild<QPushButton*>(QStringLiteral("addButton"))->click(); // 0101 fires on 20180101
            QTest::keyClick(open, Qt::Key_Escape);
        });
        fx->command(kCmdReminderSettings);
        QVERIFY(seen);
        QCOMPARE(SchemeRows().size(), 1);
        QCOMPARE(reminders->toPlainText(), QString::fromUtf16(kNoReminders));

        fx->command(kCmdViewDayGoal);
        QCOMPARE(reminders->toPlainText(), QString::fromUtf16(kReminderPrefix) + QChar(u'\n'));
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void databaseErrorLeavesTheReminderBoxAsItWas()
    {
        dialog.reset();
        AddSchemeRow(App().connection, QStringLiteral("0101"), 0, QStringLiteral("a"));
        fx->command(kCmdViewDayGoal);
        const QString before = App().ReminderEdit->toPlainText();
        QVERIFY(sqlite3_exec(App().connection.handle(), "ALTER TABLE Tx RENAME TO TxGone", nullptr, nullptr, nullptr) ==
                SQLITE_OK);
        App().connection.clearCache();
        fx->command(kCmdViewDayGoal);
        QCOMPARE(App().ReminderEdit->toPlainText(), before);
        QCOMPARE(AppFixture::messages().size(), 1);
    }
};

QTEST_MAIN(TestReminderDialog)
#include "tst_reminder_dialog.moc"
