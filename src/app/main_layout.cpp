#include "app/main_layout.h"

#include "app/command_ids.h"
#include "app/commands.h"
#include "calendar/clock.h"
#include "calendar/day_rollover.h"
#include "calendar/today_line.h"
#include "data/keys.h"
#include "launcher/launcher_table.h"
#include "settings/maxims.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"

#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>

namespace jotrak {

namespace {

// Every control: parent, place, font, name and identifier; visible unless said.
template <class W>
W* Place(W* widget, const QString& name, int id, int x, int y, int w, int h, const QFont& font, bool visible = true)
{
    widget->setObjectName(name);
    widget->setProperty(kCommandIdProperty, id);
    widget->setGeometry(x, y, w, h);
    widget->setFont(font);
    widget->setVisible(visible);
    return widget;
}

QLabel* MakeLabel(const QString& name, const QString& text, int x, int y, int w, int h, const QFont& font)
{
    auto* label = new QLabel(text, App().mainWindow);
    // a plain static text: top-left, wrapped at the right edge
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return Place(label, name, kCmdNone, x, y, w, h, font);
}

QPushButton* MakeButton(int id, const QString& text, int x, int y, int w, int h)
{
    auto* button = new QPushButton(text, App().mainWindow);
    button->setAutoDefault(false);
    QObject::connect(button, &QPushButton::clicked, button, [id] { DispatchCommand(id); });
    return Place(button, QStringLiteral("btn%1").arg(id), id, x, y, w, h, App().fontSong12);
}

QLineEdit* MakeKeyEdit(const QString& name, const QString& text, Qt::Alignment alignment, int x, int y, int w, int h)
{
    auto* edit = new QLineEdit(text, App().mainWindow);
    edit->setAlignment(alignment | Qt::AlignVCenter);
    edit->setMaxLength(1 << 30);
    return Place(edit, name, kCmdNone, x, y, w, h, App().fontSong12);
}

QPlainTextEdit* MakeGoalEdit(const QString& name, int x, int y, int w, int h)
{
    auto* edit = new QPlainTextEdit(App().mainWindow);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setTabChangesFocus(false);
    return Place(edit, name, kCmdNone, x, y, w, h, App().fontText);
}

// Cells stand centred in every column of the work-item list.
class CentredCells : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->displayAlignment = Qt::AlignCenter;
    }
};

// A double click anywhere in the list does what 修  改 does.
class DoubleClickEdits : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonDblClick)
            DispatchCommand(kCmdEditItem);
        return QObject::eventFilter(watched, event);
    }
};

QTableWidget* MakeItemList(int x, int y, int w, int h)
{
    struct Column {
        const char* title;
        int width;
    };
    // in index order, each moved to display position 0
    static constexpr Column kColumns[] = {
        {"已完成", 50}, {"完成情况", 100}, {"工作内容", 320}, {"ID", 30}, {"IDME", 0}};

    const int columns = static_cast<int>(std::size(kColumns));
    auto* list = new QTableWidget(0, columns, App().mainWindow);
    QHeaderView* header = list->horizontalHeader();
    for (int index = 0; index < columns; ++index) {
        header->moveSection(header->visualIndex(index), 0);
        if (kColumns[index].width == 0)
            list->setColumnHidden(index, true);
        else
            list->setColumnWidth(index, kColumns[index].width);
    }
    // the titles last: the header measures them once, when the list is first shown
    for (int index = 0; index < columns; ++index) {
        auto* title = new QTableWidgetItem(QString::fromUtf8(kColumns[index].title));
        title->setTextAlignment(Qt::AlignCenter);
        list->setHorizontalHeaderItem(index, title);
    }
    header->setStretchLastSection(false);
    // 工作内容 takes the width the others leave: a vertical scroll bar narrows it
    // instead of pushing 已完成 out of sight behind a horizontal one
    constexpr int kContentColumn = 2;
    header->setSectionResizeMode(kContentColumn, QHeaderView::Stretch);
    header->setHighlightSections(false);
    header->setFont(App().fontSong12);
    list->verticalHeader()->hide();
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->setItemDelegate(new CentredCells(list));
    // the selection stays marked while another control has the focus
    QPalette palette = list->palette();
    palette.setBrush(QPalette::Inactive, QPalette::Highlight, palette.brush(QPalette::Active, QPalette::Highlight));
    palette.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     palette.brush(QPalette::Active, QPalette::HighlightedText));
    list->setPalette(palette);
    list->viewport()->installEventFilter(new DoubleClickEdits(list));
    // hidden from the start: it is laid out when it is first shown
    return Place(list, QStringLiteral("ItemList"), kCmdItemList, x, y, w, h, App().fontText, false);
}

// 设置 on a blank beside the day-items button: a click opens it, the arrow a menu
// that names the shortcuts and offers 搜索 once a search dialog is there.
class SettingsSpot : public QToolButton {
public:
    explicit SettingsSpot(QWidget* parent) : QToolButton(parent)
    {
        setText(QStringLiteral("设置"));
        setPopupMode(QToolButton::MenuButtonPopup);
        setToolTip(QStringLiteral("设置 (Ctrl+,)"));
        auto* menu = new QMenu(this);
        menu->setObjectName(QStringLiteral("SettingsMenu"));
        menu->addAction(QStringLiteral("设置...\tCtrl+,"), this, [] { DispatchCommand(kCmdSettings); });
        QAction* search = menu->addAction(QStringLiteral("搜索...\tCtrl+F"), this, [] {
            if (App().openSearch)
                RunGuarded(App().mainWindow, App().openSearch);
        });
        connect(menu, &QMenu::aboutToShow, this, [search] { search->setVisible(bool(App().openSearch)); });
        setMenu(menu);
        connect(this, &QToolButton::clicked, this, [] { DispatchCommand(kCmdSettings); });
    }

protected:
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::ToolTip)
            setToolTip(App().openSearch ? QStringLiteral("设置 (Ctrl+,)\n搜索 (Ctrl+F)")
                                        : QStringLiteral("设置 (Ctrl+,)"));
        return QToolButton::event(event);
    }
};

} // namespace

void BuildGoalPanel()
{
    AppContext& app = App();
    const QFont& song = app.fontSong12;
    const QDate date = app.startTime.date();

    MakeLabel(QStringLiteral("TodayLabel"), BuildTodayLine(*app.today), 25, 10, 460, 16, song);

    app.YearKeyEdit = MakeKeyEdit(QStringLiteral("YearKeyEdit"), DayRollover::KeyOf(PeriodKind::Year, date),
                                  Qt::AlignLeft, 15, 35, 30, 18);
    MakeLabel(QStringLiteral("YearGoalLabel"), QStringLiteral("年工作目标:"), 45, 38, 80, 20, song);
    MakeButton(kCmdViewYearGoal, QStringLiteral("查看"), 130, 30, 40, 25);
    MakeButton(kCmdModifyYearGoal, QStringLiteral("修改"), 175, 30, 40, 25);
    MakeButton(kCmdYearItems, QStringLiteral("细项查看"), 220, 30, 60, 25);
    app.YearGoalEdit = MakeGoalEdit(QStringLiteral("YearGoalEdit"), 5, 57, 486, 90);

    app.MonthKeyEdit = MakeKeyEdit(QStringLiteral("MonthKeyEdit"), DayRollover::KeyOf(PeriodKind::Month, date),
                                   Qt::AlignHCenter, 15, 158, 50, 18);
    MakeLabel(QStringLiteral("MonthGoalLabel"), QStringLiteral("月工作目标:"), 65, 161, 70, 20, song);
    MakeButton(kCmdViewMonthGoal, QStringLiteral("查看"), 137, 153, 40, 25);
    MakeButton(kCmdModifyMonthGoal, QStringLiteral("修改"), 179, 153, 40, 25);
    MakeButton(kCmdMonthItems, QStringLiteral("细项查看"), 221, 153, 60, 25);
    app.MonthGoalEdit = MakeGoalEdit(QStringLiteral("MonthGoalEdit"), 5, 180, 486, 90);

    app.DayKeyEdit = MakeKeyEdit(QStringLiteral("DayKeyEdit"), DayRollover::KeyOf(PeriodKind::Day, date),
                                 Qt::AlignHCenter, 15, 281, 80, 18);
    MakeLabel(QStringLiteral("DayGoalLabel"), QStringLiteral("日工作目标:"), 95, 284, 80, 20, song);
    MakeButton(kCmdViewDayGoal, QStringLiteral("查看"), 180, 276, 40, 25);
    MakeButton(kCmdModifyDayGoal, QStringLiteral("修改"), 225, 276, 40, 25);
    app.DayGoalEdit = MakeGoalEdit(QStringLiteral("DayGoalEdit"), 5, 303, 486, 180);

    MakeLabel(QStringLiteral("ReminderLabel"), QStringLiteral("今日提醒:"), 5, 489, 16, 60, song);
    app.ReminderEdit = MakeGoalEdit(QStringLiteral("ReminderEdit"), 23, 484, 468, 60);
    app.ReminderEdit->setReadOnly(true);

    MakeButton(kCmdDayItems, QStringLiteral("有事早奏,无事退朝! -->>>"), 155, 555, 180, 35);
    Place(new SettingsSpot(app.mainWindow), QStringLiteral("btn123"), kCmdSettings, 421, 560, 70, 25, song);
    auto* group = new QGroupBox(QStringLiteral("常用按钮"), app.mainWindow);
    Place(group, QStringLiteral("LauncherGroup"), kCmdNone, 2, 590, 496, 117, song);

    for (int i = 0; i < kLauncherButtons; ++i) {
        app.LauncherTable->buttons[static_cast<std::size_t>(i)] =
            MakeButton(kCmdFirstLauncher + i, QStringLiteral("按钮一"), 7 + 81 * (i % 6), 606 + 32 * (i / 6), 80, 30);
    }
}

void BuildItemPanel()
{
    AppContext& app = App();
    LoadMaxims(*app.MaximList, app.dataDir);
    const int h = kLayoutHeight;

    MakeLabel(QStringLiteral("MaximLabel"), ChooseMaxim(*app.MaximList, Clock::UtcNow().toSecsSinceEpoch()), 500, 5,
              500, 25, app.fontKai12);
    app.ItemList = MakeItemList(500, 30, 505, h - 110);
    app.WebPane = MakeLabel(QStringLiteral("WebPane"), QString(), 500, 30, 505, h - 110, app.fontKai18);

    MakeButton(kCmdAddItem, QStringLiteral("新  增"), 500, h - 75, 66, 30);
    MakeButton(kCmdEditItem, QStringLiteral("修  改"), 567, h - 75, 66, 30);
    MakeButton(kCmdDeleteItem, QStringLiteral("删  除"), 634, h - 75, 66, 30);
    MakeButton(kCmdShowWebPane, QStringLiteral("有趣的网址"), 701, h - 75, 80, 30);
    MakeButton(kCmdReminderSettings, QStringLiteral("提醒事项设定"), 782, h - 75, 80, 30);
    MakeButton(kCmdLauncherSettings, QStringLiteral("常用按钮设置"), 863, h - 75, 80, 30);
    MakeButton(kCmdExportGoals, QStringLiteral("目标导出"), 944, h - 75, 60, 30);
}

} // namespace jotrak
