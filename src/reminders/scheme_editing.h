#pragma once

#include "reminders/reminder_rules.h"

#include <QString>

class QButtonGroup;
class QDialog;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace jotrak {

// Control identifiers of dialog 130.
enum ReminderControl {
    kReminderOk = 1,
    kReminderExit = 2,
    kGregorianRadio = 1000,
    kLunarRadio = 1001,
    kYearlyRadio = 1002,
    kMonthEdit = 1004,
    kDayEdit = 1005,
    kMonthlyRadio = 1006,
    kMonthlyDayEdit = 1007,
    kContentEdit = 1008,
    kSchemeList = 1009,
    kNameEdit = 1010,
    kAddScheme = 1011,
    kDeleteScheme = 1012,
    kModifyScheme = 1013,
};

// The record of one open reminder settings dialog: what the radio buttons
// stand for, the scheme loaded from the list, the controls, and the texts of
// the last ReadSchemeFields (normalised; the edits keep what the user typed).
struct ReminderDialogState {
    QDialog* dialog = nullptr;
    int calendar = 0;  // 0 Gregorian (新历), otherwise lunar (农历)
    int repeat = 0;    // 0 every year (每年), 1 every month (每月)
    int selected = -1; // IDME of the scheme loaded from the list; -1 for none

    QListWidget* list = nullptr;
    QLineEdit* monthEdit = nullptr;
    QLineEdit* dayEdit = nullptr;
    QLineEdit* monthlyDayEdit = nullptr;
    QPlainTextEdit* contentEdit = nullptr;
    QLineEdit* nameEdit = nullptr;
    QLineEdit* aheadEdit = nullptr;        // days announced ahead
    QButtonGroup* calendarGroup = nullptr; // 1000, 1001
    QButtonGroup* repeatGroup = nullptr;   // 1002, 1006

    QString monthText;
    QString dayText;
    QString monthlyDayText;
    QString contentText;
    QString nameText;
    QString aheadText;
    QString dateRule; // the composed shijian: "dd" or "mmdd"
    int daysAhead = 0;
};

// The message for an entry whose scheme is gone (a refused date: see ComposeDateRule).
inline constexpr char16_t kSchemeGoneMessage[] = u"没有找到对应项";

// Every operation below works on the shared connection; a DatabaseError is
// raised to the dialog, which runs each command guarded.

// Date edits "01", days ahead "0", content and name empty, 新历 and 每年 checked, list filled.
void InitReminderDialog(ReminderDialogState& state);
// The names of Tx in IDME order, each entry holding its row's IDME. No entry is selected.
void FillSchemeList(ReminderDialogState& state);
// Reads the edits into the texts and composes the date rule of the chosen form
// (ComposeDateRule) and the days ahead (leading digits, 0..30); a refused date
// or number of days is shown in a message.
bool ReadSchemeFields(ReminderDialogState& state);
// 新增: appends a scheme and its name as the last entry, which becomes the
// selected entry and the loaded scheme.
void AddScheme(ReminderDialogState& state);
// 修改: rewrites the loaded scheme, then refills the list; a scheme gone
// meanwhile is reported and the list refilled.
void ModifyScheme(ReminderDialogState& state);
// 删除: deletes the loaded scheme (none when nothing is loaded), clears the edits
// and refills the list; selected, calendar and repeat stay.
void DeleteScheme(ReminderDialogState& state);
// Loads the scheme of the selected entry, by its IDME, into the record and the
// edits; an entry whose row is gone is reported and the list refilled.
void ShowSelectedScheme(ReminderDialogState& state);

} // namespace jotrak
