#include "reminders/scheme_editing.h"

#include "data/keys.h"
#include "data/record_access.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

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

// Each entry carries the IDME of its row, so another program changing Tx
// meanwhile cannot make an entry stand for a different scheme.
void AddEntry(QListWidget* list, const QString& name, int id)
{
    auto* entry = new QListWidgetItem(name, list);
    entry->setData(Qt::UserRole, id);
}

// The row behind an entry is gone: say so and show the list as Tx is now.
void ReportSchemeGone(ReminderDialogState& state)
{
    Refuse(state, kSchemeGoneMessage);
    FillSchemeList(state);
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
        AddEntry(state.list, TextFromValue(GetFieldValue(rs, QStringLiteral("ming"))),
                 GetFieldValue(rs, QStringLiteral("IDME")).toInt());
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
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    // the new scheme is the loaded one, so 修改 right after corrects it
    state.selected = id;
    const QSignalBlocker blocker(state.list);
    AddEntry(state.list, state.nameText, id);
    state.list->setCurrentRow(state.list->count() - 1);
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
        ReportSchemeGone(state);
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
    const QList<QListWidgetItem*> entries = state.list->selectedItems();
    if (entries.isEmpty())
        return;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SchemeById(entries.first()->data(Qt::UserRole).toInt()), App().connection);
    if (IsAtEnd(rs)) {
        CloseRecordset(rs);
        ReportSchemeGone(state);
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
