#include "reminders/scheme_editing.h"

#include "app/app_context.h"
#include "app/message_box.h"
#include "data/keys.h"
#include "data/record_access.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace jotrak {

namespace {

const QString kOne = QStringLiteral("01");

void Refuse(ReminderDialogState& state, const char16_t* message)
{
    ShowMessage(state.dialog, QString::fromUtf16(message));
}

// Checks one radio button of a group without running its command.
void Check(QButtonGroup* group, int id)
{
    const QSignalBlocker blocker(group);
    if (QAbstractButton* button = group->button(id))
        button->setChecked(true);
}

void ShowTexts(ReminderDialogState& state)
{
    state.monthEdit->setText(state.monthText);
    state.dayEdit->setText(state.dayText);
    state.monthlyDayEdit->setText(state.monthlyDayText);
    state.contentEdit->setPlainText(state.contentText);
    state.nameEdit->setText(state.nameText);
}

void WriteScheme(RecordsetHolder& rs, const ReminderDialogState& state)
{
    SetFieldValue(rs, QStringLiteral("ming"), state.nameText);
    SetFieldValue(rs, QStringLiteral("nr"), state.contentText);
    SetFieldValue(rs, QStringLiteral("shijian"), state.dateRule);
    SetFieldValue(rs, QStringLiteral("lifa"), state.calendar);
}

int SelectedRow(const QListWidget* list)
{
    const QList<QListWidgetItem*> items = list->selectedItems();
    return items.isEmpty() ? -1 : list->row(items.first());
}

} // namespace

void InitReminderDialog(ReminderDialogState& state)
{
    state.monthEdit->setText(kOne);
    state.dayEdit->setText(kOne);
    state.monthlyDayEdit->setText(kOne);
    state.contentEdit->clear();
    state.nameEdit->clear();
    Check(state.calendarGroup, kGregorianRadio);
    Check(state.repeatGroup, kYearlyRadio);
    FillSchemeList(state);
}

void FillSchemeList(ReminderDialogState& state)
{
    const QSignalBlocker blocker(state.list);
    state.list->clear();
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), App().connection);
    for (; !IsAtEnd(rs); MoveToNext(rs))
        state.list->addItem(TextFromValue(GetFieldValue(rs, QStringLiteral("ming"))));
    CloseRecordset(rs);
}

bool ReadSchemeFields(ReminderDialogState& state)
{
    state.monthText = state.monthEdit->text();
    state.dayText = state.dayEdit->text();
    state.monthlyDayText = state.monthlyDayEdit->text();
    state.contentText = state.contentEdit->toPlainText();
    state.nameText = state.nameEdit->text();

    if (state.repeat == 1) {
        const int d = LeadingNumber(state.monthlyDayText);
        if (d < 1 || d > 31) {
            Refuse(state, kBadDayMessage);
            return false;
        }
        state.monthlyDayText = TwoDigitText(d);
        state.dateRule = state.monthlyDayText;
        return true;
    }

    const int m = LeadingNumber(state.monthText);
    if (m < 1 || m > 12) {
        Refuse(state, kBadMonthMessage);
        return false;
    }
    state.monthText = TwoDigitText(m);
    const int d = LeadingNumber(state.dayText);
    if (d < 1 || d > 31) {
        Refuse(state, kBadDayMessage);
        return false;
    }
    state.dayText = TwoDigitText(d);
    state.dateRule = state.monthText + state.dayText;
    return true;
}

void AddScheme(ReminderDialogState& state)
{
    if (!ReadSchemeFields(state))
        return;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), App().connection);
    AddNewRow(rs);
    WriteScheme(rs, state);
    StoreRow(rs);
    CloseRecordset(rs);
    state.list->addItem(state.nameText);
}

void ModifyScheme(ReminderDialogState& state)
{
    if (!ReadSchemeFields(state))
        return;
    if (state.selected == -1)
        return;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SchemeById(state.selected), App().connection);
    if (IsAtEnd(rs)) {
        CloseRecordset(rs);
        Refuse(state, kSchemeGoneMessage);
        return;
    }
    WriteScheme(rs, state);
    state.selected = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    FillSchemeList(state);
}

void DeleteScheme(ReminderDialogState& state)
{
    ExecuteStatement(App().connection, stmt::DeleteScheme(state.selected));
    state.monthText = kOne;
    state.dayText = kOne;
    state.monthlyDayText = kOne;
    state.contentText.clear();
    state.nameText.clear();
    ShowTexts(state);
    FillSchemeList(state);
}

void ShowSelectedScheme(ReminderDialogState& state)
{
    const int row = SelectedRow(state.list);
    if (row < 0)
        return;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), App().connection);
    for (int i = 0; i < row && !IsAtEnd(rs); ++i)
        MoveToNext(rs);
    if (IsAtEnd(rs)) {
        // Tx changed behind the list (another running copy of the program): show it as it is now.
        CloseRecordset(rs);
        FillSchemeList(state);
        return;
    }
    state.selected = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    state.nameText = TextFromValue(GetFieldValue(rs, QStringLiteral("ming")));
    state.contentText = TextFromValue(GetFieldValue(rs, QStringLiteral("nr")));
    state.calendar = GetFieldValue(rs, QStringLiteral("lifa")).toInteger() != 0 ? 1 : 0;
    const QString shijian = TextFromValue(GetFieldValue(rs, QStringLiteral("shijian")));
    CloseRecordset(rs);

    Check(state.calendarGroup, state.calendar == 0 ? kGregorianRadio : kLunarRadio);
    if (shijian.size() == 4) {
        state.monthText = shijian.left(2);
        state.dayText = shijian.mid(2);
        state.monthlyDayText = kOne;
        state.repeat = 0;
        Check(state.repeatGroup, kYearlyRadio);
    } else {
        state.monthlyDayText = shijian;
        state.monthText = kOne;
        state.dayText = kOne;
        state.repeat = 1;
        Check(state.repeatGroup, kMonthlyRadio);
    }
    ShowTexts(state);
}

} // namespace jotrak
