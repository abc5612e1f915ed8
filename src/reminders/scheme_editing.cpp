#include "reminders/scheme_editing.h"

#include "data/keys.h"
#include "reminders/scheme_store.h"
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
const QString kNoDaysAhead = QStringLiteral("0");

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
    state.aheadEdit->setText(state.aheadText);
}

Scheme SchemeOf(const ReminderDialogState& state)
{
    return {state.nameText, state.contentText, state.dateRule, state.calendar, state.daysAhead};
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
    state.aheadEdit->setText(kNoDaysAhead);
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
    for (const StoredScheme& stored : ListSchemes(App().log.connection()))
        AddEntry(state.list, stored.scheme.name, stored.id);
}

bool ReadSchemeFields(ReminderDialogState& state)
{
    state.monthText = state.monthEdit->text();
    state.dayText = state.dayEdit->text();
    state.monthlyDayText = state.monthlyDayEdit->text();
    state.contentText = state.contentEdit->toPlainText();
    state.nameText = state.nameEdit->text();
    state.aheadText = state.aheadEdit->text();

    const bool monthly = state.repeat == 1;
    const ComposedDateRule date = ComposeDateRule(monthly ? Repeat::Monthly : Repeat::Yearly, state.monthText,
                                                  state.dayText, state.monthlyDayText);
    if (date.refusal) {
        Refuse(state, date.refusal);
        return false;
    }
    const int daysAhead = LeadingNumber(state.aheadText);
    if (daysAhead > kMostDaysAhead) {
        Refuse(state, kBadDaysAheadMessage);
        return false;
    }
    state.daysAhead = daysAhead;
    state.aheadText = QString::number(daysAhead);
    state.dateRule = date.rule;
    if (monthly) {
        state.monthlyDayText = date.rule;
    } else {
        state.monthText = date.rule.left(2);
        state.dayText = date.rule.mid(2);
    }
    return true;
}

void AddScheme(ReminderDialogState& state)
{
    if (!ReadSchemeFields(state))
        return;
    const int id = AppendScheme(App().log.connection(), SchemeOf(state));
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
    if (!ChangeScheme(App().log.connection(), state.selected, SchemeOf(state))) {
        ReportSchemeGone(state);
        return;
    }
    FillSchemeList(state);
}

void DeleteScheme(ReminderDialogState& state)
{
    RemoveScheme(App().log.connection(), state.selected);
    state.monthText = kOne;
    state.dayText = kOne;
    state.monthlyDayText = kOne;
    state.aheadText = kNoDaysAhead;
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
    const int id = entries.first()->data(Qt::UserRole).toInt();
    const std::optional<Scheme> scheme = LoadScheme(App().log.connection(), id);
    if (!scheme) {
        ReportSchemeGone(state);
        return;
    }
    state.selected = id;
    state.nameText = scheme->name;
    state.contentText = scheme->content;
    state.calendar = scheme->calendar;
    state.aheadText = QString::number(scheme->daysAhead);
    const QString& shijian = scheme->dateRule;

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
