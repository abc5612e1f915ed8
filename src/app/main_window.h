#pragma once

#include "data/keys.h"

#include <QDate>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace jotrak {

class SyncEngine;

class CRiLi;
class CWebBrowser2;
class PeriodPanel;
class SearchDialog;
struct SearchHit;
class WorkItemView;
class WorkLog;
struct AppContext;

// The client area of the main window; every control sits at a fixed position
// inside it (see main_layout.cpp).
inline constexpr int kClientWidth = 1008;
inline constexpr int kClientHeight = 710;
inline constexpr char kMainWindowTitle[] = "Jotrak V2.6";

// The one top-level window. It draws nothing of its own (the background is the
// button face), ends the program on a right press on its own background (as
// closing it does, asking first about unsaved typing) and
// opens the settings dialog on Ctrl+, (command 123, also on the 设置 spot)
// and the search dialog on Ctrl+F (command 128). It is handed the log when
// made and shows what the log says: its period panels and its item list follow
// the log's signals, whoever changed it.
//
// Object names: the panels' controls (period_panel.h), "ItemList" (the item
// list, identifier 119), "WebPane", "TodayLabel", "MaximLabel", "ReminderLabel",
// "ReminderEdit", "LauncherGroup" and every button "btn<command id>": "btn110"
// ... "btn127", the launcher buttons "btn139" ... "btn156"; "btn123" is the 设置
// spot beside "btn118", a tool button whose menu ("SettingsMenu") names the
// shortcuts and offers 搜索. Every control carries its command identifier in the
// property "commandId" (0 for none).
class MainWindow : public QWidget {
    Q_OBJECT
public:
    // sync: what keeps the log in step with other computers; none in a test's window
    explicit MainWindow(WorkLog& log, SyncEngine* sync = nullptr);
    ~MainWindow() override;

    // Builds every control from the context: today's line, the panels with
    // the keys of the start-up date, the maxim's place and the web pane.
    void build(AppContext& context);
    // Runs the action of one command inside the command guard. Identifiers
    // without an action (119, 129-138, any other) do nothing.
    void runCommand(int id);

    PeriodPanel* panel(PeriodKind kind) const;
    // The item list, made when first asked for: the window's first frame shows the web pane in its place.
    WorkItemView* itemView();
    CWebBrowser2& browser() const { return *browser_; }
    QLabel* todayLabel() const { return todayLabel_; }

    // Command 124: the web pane comes to the front in place of the item list.
    void showWebPane();
    // The item list comes to the front in place of the web pane.
    void showItemList();
    bool webPaneInFront() const { return webPaneInFront_; }
    // The reminders that fall on the day of key, in the reminder box; for a day
    // other than today under a line that names it.
    void showDayReminders(const QString& dayKey);
    // The date is today: the today line, and the reminder box names its day
    // when that is no longer today.
    void showToday(const CRiLi& today);
    // A search hit: key in the key box of its kind, that goal, its items listed
    // and the item found (0 for none) selected. Unsaved typing in that goal box
    // is asked about first; 取消 leaves everything as it is.
    void showFound(PeriodKind kind, const QString& key, int itemId);
    // The web pane says why it stays empty when no web engine can show the page.
    void explainEmptyPane();
    // One of the maxims read when the window was built, shown.
    void showFirstMaxim();
    // The launcher captions as table An holds them.
    void loadLauncherCaptions();
    // Shows again what the log holds in the goal boxes and the item list (a
    // restore put another file in place); the pane in front stays in front. A
    // box with unsaved typing is asked about: 保存 stores the typing into the
    // new log, 取消 keeps it in the box, unsaved.
    void reload();
    // A new day (start-up, the date watch): today's reminders go to the desktop
    // too, and when yesterday left items open a quiet line offers to carry them.
    void greetDay(QDate today);
    // Before the program ends: unsaved typing asked about; false for 取消.
    bool readyToEnd();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void act(int id);
    void buildGoalColumn(AppContext& context);
    void buildItemColumn(AppContext& context);
    void buildItemView();
    void listItems(PeriodKind kind);
    void openSettings();
    void openSearch();
    void showHit(const SearchHit& hit);
    void carryListedItems();
    void showMaxim(const QString& maxim);
    void refreshMaxim();
    void carryYesterday();

    WorkLog& log_;
    SyncEngine* sync_ = nullptr;
    AppContext* context_ = nullptr;
    std::array<PeriodPanel*, 3> panels_{};
    WorkItemView* itemView_ = nullptr;
    QLabel* webPane_ = nullptr;
    QLabel* todayLabel_ = nullptr;
    QPlainTextEdit* reminderEdit_ = nullptr;
    QLabel* carryLine_ = nullptr;
    QLabel* maximLabel_ = nullptr;
    std::array<QPushButton*, 18> launcherButtons_{};
    std::unique_ptr<CWebBrowser2> browser_;
    bool webPaneInFront_ = true;
    QDate today_;
    QString remindersDay_;
};

} // namespace jotrak
