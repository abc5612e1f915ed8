// Work items through the real main window (offscreen): listing a day goal that
// holds 10 000 items, from the click on the day button to the painted list, and
// adding one item to it, from the click on 新  增 through dialog 134 to the new
// row.
#include "app/main_window.h"
#include "program_after_startup.h"
#include "app/startup.h"
#include "data/record_access.h"
#include "goals/add_item_dialog.h"
#include "goals/period_panel.h"
#include "goals/work_item_view.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>

using namespace jotrak;

namespace {

constexpr int kItems = 10'000;
const QString kDayKey = QStringLiteral("20300615");

// The program as it stands after start-up.
struct Program : bench::ProgramAfterStartup {
    Program() : ProgramAfterStartup(kDayKey) {}
};

// kItems items of about 30 characters with a short note, every third one done.
void FillDayGoal(ConnectionHolder& connection)
{
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalByKey(Table::Ri, kDayKey), connection);
    const int goalId = GetFieldValue(goal, QStringLiteral("IDME")).toInt();
    Transaction transaction(connection);
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::ItemsOfGoal(Table::Ri, goalId), connection);
    for (int i = 0; i < kItems; ++i) {
        AddNewRow(rs);
        SetFieldValue(rs, QStringLiteral("ShangId"), Value(goalId));
        SetFieldValue(rs, QStringLiteral("nr"), QString::fromUtf8("整理第 %1 份周报并发给项目组全体成员审阅").arg(i));
        SetFieldValue(rs, QStringLiteral("wcqk"), QString::fromUtf8("进行中 %1").arg(i));
        SetFieldValue(rs, QStringLiteral("IsOk"), Value(i % 3 == 0 ? 1 : 0));
        StoreRow(rs);
    }
    CloseRecordset(rs);
    transaction.commit();
}

Program& TheProgram()
{
    static Program* program = [] {
        auto* p = new Program;
        FillDayGoal(App().log.connection());
        return p;
    }();
    return *program;
}

QPushButton* Button(int commandId)
{
    return TheProgram().window->findChild<QPushButton*>(QStringLiteral("btn%1").arg(commandId));
}

void ListTenThousandItems(benchmark::State& state)
{
    TheProgram();
    QPushButton* dayItems = Button(118);
    WorkItemView* list = TheProgram().window->itemView();
    for (auto _ : state) {
        dayItems->click();
        list->repaint();
    }
    if (list->model()->rowCount() != kItems)
        state.SkipWithError("the list does not hold every item");
}
BENCHMARK(ListTenThousandItems)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The dialog is answered as soon as it opens; its opening is part of the time.
void AddOneItemToTenThousand(benchmark::State& state)
{
    TheProgram();
    Button(118)->click();
    QPushButton* add = Button(120);
    for (auto _ : state) {
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<AddItemDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            dialog->findChild<QPlainTextEdit*>(QStringLiteral("contentEdit"))->setPlainText(QStringLiteral("new item"));
            dialog->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        });
        add->click();
    }
    if (TheProgram().window->itemView()->model()->rowCount() <= kItems)
        state.SkipWithError("no item was added");
}
BENCHMARK(AddOneItemToTenThousand)->Unit(benchmark::kMillisecond);

} // namespace
