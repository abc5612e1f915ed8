#include "app/command_ids.h"
#include "app/main_window.h"
#include "calendar/day_rollover.h"
#include "calendar/today_line.h"
#include "goals/period_panel.h"
#include "goals/work_item_view.h"
#include "launcher/launcher_table.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"
#include "shell/fixed_layout.h"
#include "shell/text_font.h"
#include "web/web_browser.h"

#include <QAction>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

// The fixed layout of the main window. Positions are client coordinates; the
// right column is sized from H = kLayoutHeight, the outer height the window is
// designed with.

namespace jotrak {

namespace {

constexpr int kLayoutHeight = 748;

const PeriodRowPlaces& PlacesOf(PeriodKind kind)
{
    static const PeriodRowPlaces year = {{15, 35, 30, 18},   Qt::AlignLeft,     QStringLiteral("年工作目标:"),
                                         {45, 38, 80, 20},   kCmdViewYearGoal,  {130, 30, 40, 25},
                                         kCmdModifyYearGoal, {175, 30, 40, 25}, kCmdYearItems,
                                         {220, 30, 60, 25},  {5, 57, 486, 90}};
    static const PeriodRowPlaces month = {{15, 158, 50, 18},   Qt::AlignHCenter,   QStringLiteral("月工作目标:"),
                                          {65, 161, 70, 20},   kCmdViewMonthGoal,  {137, 153, 40, 25},
                                          kCmdModifyMonthGoal, {179, 153, 40, 25}, kCmdMonthItems,
                                          {221, 153, 60, 25},  {5, 180, 486, 90}};
    static const PeriodRowPlaces day = {{15, 281, 80, 18},
                                        Qt::AlignHCenter,
                                        QStringLiteral("日工作目标:"),
                                        {95, 284, 80, 20},
                                        kCmdViewDayGoal,
                                        {180, 276, 40, 25},
                                        kCmdModifyDayGoal,
                                        {225, 276, 40, 25},
                                        0,
                                        {},
                                        {5, 303, 486, 180}};
    return kind == PeriodKind::Year ? year : kind == PeriodKind::Month ? month : day;
}

// 设置 on a blank beside the day-items button: a click opens it, the arrow a menu
// that names the shortcuts and offers 搜索.
QToolButton* MakeSettingsSpot(MainWindow* window)
{
    auto* spot = new QToolButton(window);
    spot->setText(QStringLiteral("设置"));
    spot->setPopupMode(QToolButton::MenuButtonPopup);
    spot->setToolTip(QStringLiteral("设置 (Ctrl+,)\n搜索 (Ctrl+F)\n工作报告 (Ctrl+R)"));
    auto* menu = new QMenu(spot);
    menu->setObjectName(QStringLiteral("SettingsMenu"));
    menu->addAction(QStringLiteral("设置...\tCtrl+,"), window, [window] { window->runCommand(kCmdSettings); });
    menu->addAction(QStringLiteral("搜索...\tCtrl+F"), window, [window] { window->runCommand(kCmdSearch); });
    menu->addAction(QStringLiteral("工作报告...\tCtrl+R"), window, [window] { window->runCommand(kCmdReport); });
    menu->addAction(QStringLiteral("同步..."), window, [window] { window->runCommand(kCmdSync); });
    spot->setMenu(menu);
    QObject::connect(spot, &QToolButton::clicked, window, [window] { window->runCommand(kCmdSettings); });
    return spot;
}

} // namespace

void MainWindow::build(AppContext& context)
{
    context_ = &context;
    buildGoalColumn(context);
    buildItemColumn(context);
}

// Today's line, the three goal rows with their key boxes, the reminder box,
// the day-items button, 设置 and the 18 launcher buttons.
void MainWindow::buildGoalColumn(AppContext& context)
{
    const QFont& song = context.fontSong12;
    const QDate date = context.startTime.date();
    todayLabel_ =
        MakeStaticText(this, QStringLiteral("TodayLabel"), BuildTodayLine(*context.today), {25, 10, 460, 16}, song);
    for (PeriodKind kind : {PeriodKind::Year, PeriodKind::Month, PeriodKind::Day}) {
        auto* made =
            new PeriodPanel(this, log_, kind, PlacesOf(kind), DayRollover::KeyOf(kind, date), song, context.fontText);
        connect(made, &PeriodPanel::itemsRequested, this,
                [this](PeriodKind listed) { RunGuarded(this, [&] { listItems(listed); }); });
        panels_[static_cast<std::size_t>(kind) - 1] = made;
    }
    connect(panel(PeriodKind::Day), &PeriodPanel::viewed, this, &MainWindow::showDayReminders);

    MakeStaticText(this, QStringLiteral("ReminderLabel"), QStringLiteral("今日提醒:"), {5, 489, 16, 60}, song);
    reminderEdit_ = MakeTextBox(this, QStringLiteral("ReminderEdit"), {23, 484, 468, 60}, context.fontText);
    reminderEdit_->setReadOnly(true);

    const auto command = [this, &song](int id, const QString& text, const QRect& place) {
        QPushButton* button = MakeCommandButton(this, id, text, place, song);
        connect(button, &QPushButton::clicked, this, [this, id] { runCommand(id); });
        return button;
    };
    command(kCmdDayItems, QStringLiteral("有事早奏,无事退朝! -->>>"), {155, 555, 180, 35});
    // the quiet offer of a new day, on the blank left of the day-items button
    carryLine_ = MakeStaticText(this, QStringLiteral("CarryLine"), QString(), {5, 558, 148, 30}, song);
    carryLine_->setTextFormat(Qt::RichText);
    carryLine_->hide();
    connect(carryLine_, &QLabel::linkActivated, this, [this] { RunGuarded(this, [this] { carryYesterday(); }); });
    PlaceControl(MakeSettingsSpot(this), QStringLiteral("btn123"), kCmdSettings, {421, 560, 70, 25}, song);
    PlaceControl(new QGroupBox(QStringLiteral("常用按钮"), this), QStringLiteral("LauncherGroup"), kCmdNone,
                 {2, 590, 496, 117}, song);
    for (int i = 0; i < kLauncherButtons; ++i)
        launcherButtons_[static_cast<std::size_t>(i)] =
            command(kCmdFirstLauncher + i, QStringLiteral("按钮一"), {7 + 81 * (i % 6), 606 + 32 * (i / 6), 80, 30});
}

// The maxim's line (filled after the first frame), the web pane (shown; the work-item list takes its place
// when first asked for) and the row of command buttons.
void MainWindow::buildItemColumn(AppContext& context)
{
    const int h = kLayoutHeight;
    maximLabel_ = MakeStaticText(this, QStringLiteral("MaximLabel"), QString(), {500, 5, 500, 25}, context.fontKai12);
    maximLabel_->setWordWrap(false);
    webPane_ = MakeStaticText(this, QStringLiteral("WebPane"), QString(), {500, 30, 505, h - 110}, context.fontKai18);

    const auto command = [this, &context](int id, const QString& text, const QRect& place) {
        QPushButton* button = MakeCommandButton(this, id, text, place, context.fontSong12);
        connect(button, &QPushButton::clicked, this, [this, id] { runCommand(id); });
    };
    command(kCmdAddItem, QStringLiteral("新  增"), {500, h - 75, 66, 30});
    command(kCmdEditItem, QStringLiteral("修  改"), {567, h - 75, 66, 30});
    command(kCmdDeleteItem, QStringLiteral("删  除"), {634, h - 75, 66, 30});
    command(kCmdShowWebPane, QStringLiteral("有趣的网址"), {701, h - 75, 80, 30});
    command(kCmdReminderSettings, QStringLiteral("提醒事项设定"), {782, h - 75, 80, 30});
    command(kCmdLauncherSettings, QStringLiteral("常用按钮设置"), {863, h - 75, 80, 30});
    command(kCmdExportGoals, QStringLiteral("目标导出"), {944, h - 75, 60, 30});
}

WorkItemView* MainWindow::itemView()
{
    if (!itemView_)
        buildItemView();
    return itemView_;
}

void MainWindow::buildItemView()
{
    const QFont& font = context_->fontSong12;
    itemView_ = new WorkItemView(this, log_, font);
    itemView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const auto& [id, text] : {std::pair{kCmdAddItem, "新增..."},
                                   {kCmdEditItem, "修改..."},
                                   {kCmdDeleteItem, "删除"},
                                   {kCmdCarryForward, "结转未完成到今天..."}}) {
        auto* action = new QAction(QString::fromUtf8(text), itemView_);
        connect(action, &QAction::triggered, this, [this, id = id] { runCommand(id); });
        itemView_->addAction(action);
    }
    PlaceControl(itemView_, QStringLiteral("ItemList"), kCmdItemList, {500, 30, 505, kLayoutHeight - 110}, font, false);
    if (context_->fontText != font)
        GiveTextFont(itemView_, context_->fontText);
    // tabbed to where it stood when it was made with the window
    setTabOrder(launcherButtons_.back(), itemView_);
}

} // namespace jotrak
