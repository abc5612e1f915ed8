#include "reminders/reminder_dialog.h"

#include "reminders/calendar_file.h"
#include "reminders/scheme_editing.h"
#include "reminders/upcoming_dialog.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"
#include "shell/text_font.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace jotrak {

namespace {

constexpr int kWidthDlu = 412;
constexpr int kHeightDlu = 226;

QLineEdit* OneLineEdit(QWidget* parent, const char* name, int x, int y)
{
    return JotrakDialog::Place(parent, new QLineEdit, name, JotrakDialog::Dlu(x, y, 40, 14));
}

QPushButton* Button(QWidget* parent, const char* name, const QString& text, int x, int y, int w, int h)
{
    return JotrakDialog::Place(parent, new QPushButton(text), name, JotrakDialog::Dlu(x, y, w, h));
}

QRadioButton* Radio(QWidget* parent, const char* name, const QString& text, int x, int y)
{
    return JotrakDialog::Place(parent, new QRadioButton(text), name, JotrakDialog::Dlu(x, y, 32, 10));
}

// Static texts are sized to reach the next control and no further.
void Static(QWidget* parent, const QString& text, int x, int y, int w)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(JotrakDialog::Dlu(x, y, w, 10));
}

} // namespace

ReminderDialog::ReminderDialog(QWidget* parent, ReminderDialogState& state)
    : JotrakDialog(parent, QString::fromUtf8("提醒设置"), kWidthDlu, kHeightDlu), state_(state)
{
    setObjectName(QStringLiteral("reminderDialog"));
    state_.dialog = this;
    BuildControls();
    RunGuarded(parent, [this] { InitReminderDialog(state_); });
}

// Controls in tab order, positions and sizes in dialog units.
void ReminderDialog::BuildControls()
{
    okButton_ = Button(this, "okButton", QString::fromUtf8("确定"), 7, 207, 31, 12);
    okButton_->setDefault(true);
    okButton_->setVisible(false);
    QPushButton* exitButton = Button(this, "exitButton", QString::fromUtf8("退出"), 219, 185, 53, 25);

    QRadioButton* gregorian = Radio(this, "gregorianRadio", QString::fromUtf8("新历"), 59, 31);
    QRadioButton* lunar = Radio(this, "lunarRadio", QString::fromUtf8("农历"), 123, 31);
    state_.monthEdit = OneLineEdit(this, "monthEdit", 61, 47);
    Static(this, QString::fromUtf8("月"), 104, 49, 10);
    Static(this, QString::fromUtf8("日提醒"), 156, 49, 30);
    state_.dayEdit = OneLineEdit(this, "dayEdit", 115, 47);
    QRadioButton* yearly = Radio(this, "yearlyRadio", QString::fromUtf8("每年"), 31, 49);
    QRadioButton* monthly = Radio(this, "monthlyRadio", QString::fromUtf8("每月"), 31, 69);
    state_.monthlyDayEdit = OneLineEdit(this, "monthlyDayEdit", 61, 66);
    Static(this, QString::fromUtf8("日提醒"), 104, 69, 30);
    Static(this, QString::fromUtf8("提前"), 150, 69, 18);
    state_.aheadEdit = OneLineEdit(this, "aheadEdit", 170, 66);
    Static(this, QString::fromUtf8("天提醒"), 213, 69, 30);
    Static(this, QString::fromUtf8("提醒内容:"), 21, 81, 50);

    state_.contentEdit = Place(this, new QPlainTextEdit, "contentEdit", Dlu(21, 92, 267, 87));
    UseTextFont(state_.contentEdit);
    state_.contentEdit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    state_.contentEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    state_.contentEdit->setTabChangesFocus(true);
    MakeEnterPressDefault(state_.contentEdit);

    Static(this, QString::fromUtf8("提醒方案:"), 297, 7, 50);
    state_.list = Place(this, new QListWidget, "schemeList", Dlu(293, 19, 112, 200));
    state_.list->setSelectionMode(QAbstractItemView::SingleSelection);
    state_.list->setSortingEnabled(false);
    state_.list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // left of its place in the template, where the 12-pixel text would touch the name edit
    Static(this, QString::fromUtf8("提醒方案名称:"), 13, 15, 52);
    state_.nameEdit = Place(this, new QLineEdit, "nameEdit", Dlu(69, 12, 208, 14));

    QPushButton* addButton = Button(this, "addButton", QString::fromUtf8("新增"), 24, 185, 53, 25);
    QPushButton* deleteButton = Button(this, "deleteButton", QString::fromUtf8("删除"), 89, 185, 53, 25);
    QPushButton* modifyButton = Button(this, "modifyButton", QString::fromUtf8("修改"), 154, 185, 53, 25);
    QPushButton* upcomingButton = Button(this, "upcomingButton", QString::fromUtf8("近期提醒"), 154, 212, 53, 12);
    QPushButton* exportButton = Button(this, "exportCalendarButton", QString::fromUtf8("导出日历…"), 219, 212, 53, 12);

    state_.calendarGroup = new QButtonGroup(this);
    state_.calendarGroup->addButton(gregorian, kGregorianRadio);
    state_.calendarGroup->addButton(lunar, kLunarRadio);
    state_.repeatGroup = new QButtonGroup(this);
    state_.repeatGroup->addButton(yearly, kYearlyRadio);
    state_.repeatGroup->addButton(monthly, kMonthlyRadio);

    connect(okButton_, &QPushButton::clicked, this, [this] { accept(); });
    connect(exitButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(state_.calendarGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            state_.calendar = id == kGregorianRadio ? 0 : 1;
    });
    connect(state_.repeatGroup, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked)
            state_.repeat = id == kYearlyRadio ? 0 : 1;
    });
    // A user's choice of an entry; filling the list sends nothing.
    connect(state_.list, &QListWidget::itemSelectionChanged, this, [this] { RunCommand(ShowSelectedScheme); });
    connect(addButton, &QPushButton::clicked, this, [this] { RunCommand(AddScheme); });
    connect(deleteButton, &QPushButton::clicked, this, [this] { RunCommand(DeleteScheme); });
    connect(modifyButton, &QPushButton::clicked, this, [this] { RunCommand(ModifyScheme); });
    connect(upcomingButton, &QPushButton::clicked, this, [this] { ShowUpcomingReminders(this); });
    connect(exportButton, &QPushButton::clicked, this, &ReminderDialog::ExportCalendar);
}

// The schemes' days of the coming years as a calendar file other programs import.
void ReminderDialog::ExportCalendar()
{
    const std::optional<QString> path = ChooseSaveFile(this, QString::fromUtf8("导出日历"),
                                                       QString::fromUtf8("日历文件 (*.ics)"), QStringLiteral("ics"));
    if (!path)
        return;
    RunGuarded(this, [&] {
        const CalendarExportResult result = ExportReminderCalendar(App().log.connection(), *path);
        if (!result.ok())
            ShowMessage(this, result.message, result.message, MessageButtons::Ok, result.details);
    });
}

void ReminderDialog::RunCommand(void (*operation)(ReminderDialogState&))
{
    RunGuarded(this, [this, operation] { operation(state_); });
}

void OpenReminderSettings(QWidget* parent)
{
    ReminderDialogState state;
    ReminderDialog dialog(parent, state);
    dialog.exec();
}

} // namespace jotrak
