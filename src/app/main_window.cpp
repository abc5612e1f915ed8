#include "app/main_window.h"

#include "app/command_ids.h"
#include "calendar/clock.h"
#include "calendar/cri_li.h"
#include "calendar/day_rollover.h"
#include "calendar/today_line.h"
#include "export/export_dialog.h"
#include "goals/period_panel.h"
#include "search/search_dialog.h"
#include "settings/maxims.h"
#include "goals/work_item_model.h"
#include "goals/work_item_view.h"
#include "launcher/launcher.h"
#include "launcher/launcher_table.h"
#include "reminders/reminder_dialog.h"
#include "reminders/desktop_notice.h"
#include "reminders/reminder_text.h"
#include "reports/carry_dialog.h"
#include "reports/report_dialog.h"
#include "settings/settings_dialog.h"
#include "shell/app_context.h"
#include "shell/command_guard.h"
#include "shell/desktop.h"
#include "shell/message_box.h"
#include "shell/work_log.h"
#include "sync/sync_dialog.h"
#include "web/web_browser.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

namespace jotrak {

// The launcher knows its buttons' identifiers without knowing the command table.
static_assert(kFirstLauncherCommand == kCmdFirstLauncher);
static_assert(kCmdLastLauncher - kCmdFirstLauncher + 1 == kLauncherButtons);

MainWindow::MainWindow(WorkLog& log, SyncEngine* sync)
    : log_(log), sync_(sync), browser_(std::make_unique<CWebBrowser2>())
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(QString::fromUtf8(kMainWindowTitle));
    resize(kClientWidth, kClientHeight);
    // the button face behind every control
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    auto* settings = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma), this);
    settings->setContext(Qt::WindowShortcut);
    connect(settings, &QShortcut::activated, this, [this] { runCommand(kCmdSettings); });
    auto* search = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F), this);
    search->setContext(Qt::WindowShortcut);
    connect(search, &QShortcut::activated, this, [this] { runCommand(kCmdSearch); });
    auto* report = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_R), this);
    report->setContext(Qt::WindowShortcut);
    connect(report, &QShortcut::activated, this, [this] { runCommand(kCmdReport); });
    // another computer's schemes and buttons, applied by sync
    connect(&log_, &WorkLog::schemesChanged, this, [this] {
        if (!remindersDay_.isEmpty())
            showDayReminders(remindersDay_);
    });
    connect(&log_, &WorkLog::launcherChanged, this, &MainWindow::loadLauncherCaptions);
    connect(&log_, &WorkLog::reloaded, this, &MainWindow::reload);
}

MainWindow::~MainWindow()
{
    // the page goes before the window that hosts it
    browser_.reset();
}

void MainWindow::paintEvent(QPaintEvent*) {}

void MainWindow::mousePressEvent(QMouseEvent* event)
{
    // Children that ignore a press pass it up here; only the bare background counts.
    if (event->button() == Qt::RightButton && !childAt(event->position().toPoint())) {
        if (readyToEnd())
            ExitProgram(0);
        return;
    }
    event->accept();
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (readyToEnd())
        event->accept();
    else
        event->ignore();
}

bool MainWindow::readyToEnd()
{
    bool ready = false;
    RunGuarded(this, [this, &ready] {
        ready = SettleUnsavedGoals(this, {panels_.begin(), panels_.end()}, QStringLiteral("退出之前要保存吗?"));
    });
    return ready;
}

PeriodPanel* MainWindow::panel(PeriodKind kind) const
{
    return panels_[static_cast<std::size_t>(kind) - 1];
}

void MainWindow::runCommand(int id)
{
    RunGuarded(this, [this, id] { act(id); });
}

void MainWindow::act(int id)
{
    switch (id) {
    case kCmdViewYearGoal: panel(PeriodKind::Year)->view(); break;
    case kCmdModifyYearGoal: panel(PeriodKind::Year)->modify(); break;
    case kCmdYearItems: listItems(PeriodKind::Year); break;
    case kCmdViewMonthGoal: panel(PeriodKind::Month)->view(); break;
    case kCmdModifyMonthGoal: panel(PeriodKind::Month)->modify(); break;
    case kCmdMonthItems: listItems(PeriodKind::Month); break;
    case kCmdViewDayGoal: panel(PeriodKind::Day)->view(); break;
    case kCmdModifyDayGoal: panel(PeriodKind::Day)->modify(); break;
    case kCmdDayItems: listItems(PeriodKind::Day); break;
    case kCmdAddItem:
        showItemList();
        itemView()->addItem();
        break;
    case kCmdEditItem:
        showItemList();
        itemView()->editItem();
        break;
    case kCmdDeleteItem:
        showItemList();
        itemView()->deleteItem();
        break;
    case kCmdSettings: openSettings(); break;
    case kCmdShowWebPane: showWebPane(); break;
    case kCmdReminderSettings: OpenReminderSettings(this); break;
    case kCmdLauncherSettings:
        if (OpenLauncherSettings(this))
            loadLauncherCaptions();
        break;
    case kCmdExportGoals: OpenExportDialog(this); break;
    case kCmdSearch: openSearch(); break;
    case kCmdReport: OpenReportDialog(this, log_.connection()); break;
    case kCmdCarryForward: carryListedItems(); break;
    case kCmdSync:
        if (sync_)
            SyncDialog(*sync_, this).exec();
        break;
    default:
        if (id >= kCmdFirstLauncher && id <= kCmdLastLauncher)
            LaunchButton(this, id);
        break; // 119 and every identifier without an action
    }
}

void MainWindow::listItems(PeriodKind kind)
{
    showItemList();
    itemView()->list(kind, panel(kind)->key());
}

void MainWindow::showWebPane()
{
    webPane_->show();
    if (itemView_)
        itemView_->hide();
    webPaneInFront_ = true;
}

void MainWindow::explainEmptyPane()
{
    if (!CWebBrowser2::EngineUsable() && !browser_->view())
        webPane_->setText(QStringLiteral(
            "这里没有网页:网页组件(jotrak-webengine)没有安装、已关闭(--no-start-page),或者在这台电脑上无法启动。"));
}

void MainWindow::showItemList()
{
    if (!webPaneInFront_)
        return;
    webPane_->hide();
    itemView()->show();
    webPaneInFront_ = false;
}

void MainWindow::showDayReminders(const QString& dayKey)
{
    remindersDay_ = dayKey;
    reminderEdit_->setPlainText(
        ComposeRemindersOf(log_.connection(), dayKey, DayRollover::KeyOf(PeriodKind::Day, today_)));
}

void MainWindow::showToday(const CRiLi& today)
{
    today_ = QDate(today.year(), today.month(), today.day());
    todayLabel_->setText(BuildTodayLine(today));
    if (!remindersDay_.isEmpty())
        showDayReminders(remindersDay_);
}

void MainWindow::showFound(PeriodKind kind, const QString& key, int itemId)
{
    PeriodPanel* shown = panel(kind);
    if (!SettleUnsavedGoals(this, {shown}, QStringLiteral("显示搜索到的内容之前要保存吗?")))
        return;
    shown->keyEdit()->setText(key);
    shown->view(PeriodPanel::Typing::Replace);
    listItems(kind);
    if (itemId != 0)
        itemView()->markItem(itemId);
}

void MainWindow::loadLauncherCaptions()
{
    const LauncherCaptions captions = LoadLauncherTable();
    for (int k = 0; k < kLauncherButtons; ++k)
        // "&" is shown as itself, not taken as a shortcut mark
        launcherButtons_[static_cast<std::size_t>(k)]->setText(
            QString(captions[static_cast<std::size_t>(k)]).replace(QLatin1Char('&'), QLatin1String("&&")));
}

void MainWindow::reload()
{
    RunGuarded(this, [this] {
        QList<PeriodPanel*> typed;
        for (PeriodPanel* shown : panels_) {
            if (shown->hasUnsavedText()) {
                shown->rebase();
                typed << shown;
            } else {
                shown->view(PeriodPanel::Typing::Replace);
            }
        }
        if (!SettleUnsavedGoals(this, typed,
                                QStringLiteral("备份已经恢复。保存:把输入的内容存进恢复后的日志;不保存:显示恢复后的"
                                               "内容;取消:输入的内容留在框里,暂不保存。")))
            return;
        for (PeriodPanel* shown : typed)
            shown->view(PeriodPanel::Typing::Replace);
    });
}

void MainWindow::carryListedItems()
{
    const WorkItemModel& listed = itemView()->items();
    if (!listed.goalId()) {
        ShowMessage(this, QStringLiteral("请先选择要查看年/月/日等的细项"));
        return;
    }
    ChooseAndCarryItems(this, log_, listed.kind(), listed.key(), listed.key(), Clock::LocalNow().date());
}

void MainWindow::carryYesterday()
{
    const QDate today = Clock::LocalNow().date();
    const QDate yesterday = today.addDays(-1);
    const QString key = FormatDayKey(yesterday.year(), yesterday.month(), yesterday.day());
    ChooseAndCarryItems(this, log_, PeriodKind::Day, key, key, today);
    carryLine_->setVisible(!YesterdayOpenLine(log_.connection(), today).isEmpty());
}

namespace {
constexpr int kGreetingDelayMs = 1000;
} // namespace

void MainWindow::greetDay(QDate today)
{
    // a moment after the first frame: neither the desktop's bus nor yesterday's items are part of it
    QTimer::singleShot(kGreetingDelayMs, this, [this, today] {
        RunGuarded(this, [&] {
            if (DesktopNotificationsOn())
                NotifyReminders(
                    DayReminderLines(log_.connection(), FormatDayKey(today.year(), today.month(), today.day())));
            const QString open = YesterdayOpenLine(log_.connection(), today);
            carryLine_->setText(QStringLiteral("<a href=\"carry\">%1</a>").arg(open.toHtmlEscaped()));
            carryLine_->setToolTip(open);
            carryLine_->setVisible(!open.isEmpty());
        });
    });
}

// One line: a longer maxim ends in "…", the whole of it in the tooltip.
void MainWindow::showMaxim(const QString& maxim)
{
    maximLabel_->setText(maximLabel_->fontMetrics().elidedText(maxim, Qt::ElideRight, maximLabel_->width()));
    maximLabel_->setToolTip(maxim);
}

void MainWindow::showFirstMaxim()
{
    showMaxim(ChooseMaxim(*context_->MaximList, Clock::UtcNow().toSecsSinceEpoch()));
}

// A maxim deleted in 设置 leaves the screen at once.
void MainWindow::refreshMaxim()
{
    const MaximList& maxims = *App().MaximList;
    if (!maxims.lines.contains(maximLabel_->toolTip()))
        showMaxim(ChooseMaxim(maxims, Clock::UtcNow().toSecsSinceEpoch()));
}

void MainWindow::openSettings()
{
    SettingsDialog dialog(this);
    connect(&dialog, &SettingsDialog::searchRequested, this, [this] { runCommand(kCmdSearch); });
    connect(&dialog, &SettingsDialog::maximsChanged, this, &MainWindow::refreshMaxim);
    connect(&dialog, &SettingsDialog::syncRequested, this, [this] { runCommand(kCmdSync); });
    dialog.exec();
}

void MainWindow::openSearch()
{
    SearchDialog* dialog = OpenSearchDialog(this, log_);
    connect(dialog, &SearchDialog::hitChosen, this, &MainWindow::showHit, Qt::UniqueConnection);
}

void MainWindow::showHit(const SearchHit& hit)
{
    RunGuarded(this, [&] { showFound(hit.kind, hit.key, hit.itemId); });
}

} // namespace jotrak
