// The kill worker on the real main window (offscreen, dialogs answered,
// message boxes recorded), driving the program's operations as clicks do: the
// main-window commands (list items, add, change, delete, modify a goal), the
// 新增/修改/删除 buttons of the reminder dialog and the launcher dialog's
// StoreLauncherRow. See worker_common.h.

#include "worker_common.h"

#include "support/app_fixture.h"

#include "app/command_ids.h"
#include "app/commands.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "launcher/launcher_table.h"
#include "reminders/reminder_dialog.h"
#include "reminders/scheme_editing.h"
#include "shell/app_context.h"
#include "shell/desktop.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

#include <functional>
#include <memory>

using namespace jotrak;
using namespace jotrak::reliability;

namespace {

template <class W> W* Find(QWidget* parent, const char* name)
{
    W* widget = parent->findChild<W*>(QString::fromLatin1(name));
    if (!widget)
        Die(QStringLiteral("control %1 not found").arg(QString::fromLatin1(name)));
    return widget;
}

class UiWorkload {
public:
    UiWorkload(const Options& options, SideLog& log) : log_(log), rng_(options.seed)
    {
        lane_.number = options.lane;
        testing::MessageBoxSeam::Enable();
        testing::FileDialogSeam::Enable();
        testing::ShellSeam::Enable();
        context_ = std::make_unique<AppContext>();
        window_ = std::make_unique<MainWindow>();
        window_->show();
        RunStartup(options.exeDir, PortableDataFolder(options.exeDir));
        expectNoMessage(QStringLiteral("start-up"));
        schemeDialog_ = std::make_unique<ReminderDialog>(window_.get(), schemes_);
    }

    ~UiWorkload()
    {
        schemeDialog_.reset();
        window_.reset();
        context_.reset();
    }

    void step()
    {
        const quint32 pick = rng_.bounded(100);
        if (pick < 75) {
            listItems();
            if (pick < 30)
                addItem();
            else if (pick < 55)
                editItem();
            else if (pick < 65)
                deleteItem();
            else
                modifyGoal();
        } else if (pick < 95) {
            changeScheme();
        } else {
            storeLauncher();
        }
        expectNoMessage(QStringLiteral("an operation"));
    }

private:
    void expectNoMessage(const QString& during)
    {
        for (const testing::ShownMessage& m : testing::MessageBoxSeam::Shown())
            if (m.caption != QString::fromUtf8("删除确认") && m.text != QString::fromUtf8("修改完成"))
                Die(QStringLiteral("message during %1: %2").arg(during, m.text));
        testing::MessageBoxSeam::Clear();
    }

    // Commands 112/115/118: the items of one of the lane's goals.
    void listItems()
    {
        AppContext& app = App();
        const auto [goalTable, key] = lane_.goal(rng_.generate());
        goalTable_ = goalTable;
        keyEdit_ = goalTable == Table::Nian  ? app.YearKeyEdit
                   : goalTable == Table::Yue ? app.MonthKeyEdit
                                             : app.DayKeyEdit;
        goalEdit_ = goalTable == Table::Nian  ? app.YearGoalEdit
                    : goalTable == Table::Yue ? app.MonthGoalEdit
                                              : app.DayGoalEdit;
        keyEdit_->setText(key);
        DispatchCommand(goalTable == Table::Nian  ? kCmdYearItems
                        : goalTable == Table::Yue ? kCmdMonthItems
                                                  : kCmdDayItems);
        if (app.CurrentGoalId < 0)
            Die(QStringLiteral("no goal under key %1").arg(key));
    }

    QTableWidget* list() const { return App().ItemList; }

    qint64 idOfRow(int row) const { return LeadingNumber(list()->item(row, 4)->text()); }

    void addItem()
    {
        const QString content = AsTyped(SampleText(rng_.generate()));
        answerer_.next<AddItemDialog>([content](AddItemDialog* dialog) {
            Find<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(content);
            Find<QPushButton>(dialog, "okButton")->click();
        });
        const Table table = ItemTableOf(goalTable_);
        const int rowsBefore = list()->rowCount();
        const qint64 seq =
            log_.begin({false, table, -1, {Value(App().CurrentGoalId), Value(content), Value(), Value(0)}});
        DispatchCommand(kCmdAddItem);
        if (list()->rowCount() != rowsBefore + 1)
            Die(QStringLiteral("AddItem added no row"));
        log_.done(seq, idOfRow(rowsBefore));
    }

    bool markRandomRow()
    {
        if (list()->rowCount() == 0)
            return false;
        list()->setCurrentCell(static_cast<int>(rng_.bounded(static_cast<quint32>(list()->rowCount()))), 2);
        return true;
    }

    void editItem()
    {
        if (!markRandomRow())
            return addItem();
        const QString content = AsTyped(SampleText(rng_.generate()));
        const QString note = AsTyped(SampleText(rng_.generate()));
        const bool done = rng_.bounded(2) == 1;
        answerer_.next<EditItemDialog>([=](EditItemDialog* dialog) {
            Find<QPlainTextEdit>(dialog, "contentEdit")->setPlainText(content);
            Find<QPlainTextEdit>(dialog, "noteEdit")->setPlainText(note);
            Find<QRadioButton>(dialog, done ? "doneRadio" : "notDoneRadio")->click();
            Find<QPushButton>(dialog, "okButton")->click();
        });
        const qint64 id = idOfRow(list()->currentRow());
        const qint64 seq = log_.begin({false,
                                       ItemTableOf(goalTable_),
                                       id,
                                       {Value(App().CurrentGoalId), Value(content), Value(note), Value(done ? 1 : 0)}});
        DispatchCommand(kCmdEditItem);
        log_.done(seq, id);
    }

    void deleteItem()
    {
        if (!markRandomRow())
            return addItem();
        const qint64 id = idOfRow(list()->currentRow());
        const qint64 seq = log_.begin({true, ItemTableOf(goalTable_), id, {}});
        DispatchCommand(kCmdDeleteItem); // the confirmation is answered OK
        log_.done(seq, id);
    }

    void modifyGoal()
    {
        const QString text = AsTyped(SampleText(rng_.generate()));
        goalEdit_->setPlainText(text);
        const qint64 id = App().CurrentGoalId;
        const qint64 seq = log_.begin({false, goalTable_, id, {Value(keyEdit_->text()), Value(text)}});
        DispatchCommand(goalTable_ == Table::Nian  ? kCmdModifyYearGoal
                        : goalTable_ == Table::Yue ? kCmdModifyMonthGoal
                                                   : kCmdModifyDayGoal);
        log_.done(seq, id);
    }

    // Dialog 130's 新增, 修改 and 删除 on the dialog's own controls.
    void changeScheme()
    {
        const auto mine = LaneSchemes(App().connection, lane_);
        const quint32 pick = rng_.bounded(3);
        if (mine.empty() || pick == 0) {
            const SchemeFields s = fillSchemeDialog();
            const qint64 seq = log_.begin({false, Table::Tx, -1, s.row()});
            clickSchemeButton("addButton");
            log_.done(seq, newestSchemeLike(s.row()));
            return;
        }
        schemes_.selected = mine[rng_.bounded(static_cast<quint32>(mine.size()))].id;
        if (pick == 1) {
            const qint64 seq = log_.begin({true, Table::Tx, schemes_.selected, {}});
            clickSchemeButton("deleteButton");
            log_.done(seq, schemes_.selected);
            return;
        }
        const SchemeFields s = fillSchemeDialog();
        const qint64 seq = log_.begin({false, Table::Tx, schemes_.selected, s.row()});
        clickSchemeButton("modifyButton");
        log_.done(seq, schemes_.selected);
    }

    void clickSchemeButton(const char* name) { Find<QPushButton>(schemeDialog_.get(), name)->click(); }

    // The IDME the scheme just added got: the newest row holding its fields.
    qint64 newestSchemeLike(const Row& row)
    {
        qint64 id = -1;
        for (const StoredScheme& stored : ListSchemes(App().connection))
            if (SchemeRow(stored.scheme) == row)
                id = stored.id;
        if (id < 0)
            Die(QStringLiteral("the added scheme is not in Tx"));
        return id;
    }

    SchemeFields fillSchemeDialog()
    {
        SchemeFields s = RandomScheme(rng_, lane_);
        schemes_.nameEdit->setText(s.name);
        schemes_.contentEdit->setPlainText(s.content);
        s.name = schemes_.nameEdit->text();
        s.content = schemes_.contentEdit->toPlainText();
        schemes_.monthEdit->setText(QString::number(s.month));
        schemes_.dayEdit->setText(QString::number(s.day));
        schemes_.monthlyDayEdit->setText(QString::number(s.day));
        schemes_.calendarGroup->button(s.calendar == 0 ? kGregorianRadio : kLunarRadio)->click();
        schemes_.repeatGroup->button(s.monthly ? kMonthlyRadio : kYearlyRadio)->click();
        if (schemes_.calendar != s.calendar || schemes_.repeat != (s.monthly ? 1 : 0))
            Die(QStringLiteral("the reminder dialog's radio buttons did not take"));
        return s;
    }

    // Dialog 131's 保存 stores one row of An.
    void storeLauncher()
    {
        const int button = lane_.firstButton() + static_cast<int>(rng_.bounded(9));
        const LauncherRow row{SampleText(rng_.generate()).left(20),
                              QStringLiteral("/tmp/") + SampleText(rng_.generate())};
        const qint64 seq = log_.begin({false, Table::An, button, {Value(row.name), Value(row.path)}});
        if (!StoreLauncherRow(App().connection, button, row))
            Die(QStringLiteral("launcher row %1 missing").arg(button));
        log_.done(seq, button);
    }

    // A text as a multi-line edit gives it back (line breaks become LF).
    QString AsTyped(const QString& text)
    {
        scratch_.setPlainText(text);
        return scratch_.toPlainText();
    }

    SideLog& log_;
    QRandomGenerator rng_;
    Lane lane_;
    test::ModalAnswers answerer_;
    QPlainTextEdit scratch_;
    std::unique_ptr<AppContext> context_;
    std::unique_ptr<MainWindow> window_;
    ReminderDialogState schemes_;
    std::unique_ptr<ReminderDialog> schemeDialog_;
    Table goalTable_ = Table::Ri;
    QLineEdit* keyEdit_ = nullptr;
    QPlainTextEdit* goalEdit_ = nullptr;
};

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const Options options = ParseOptions(args);
    QApplication application(argc, argv);
    return RunWorkload<UiWorkload>(options);
}
