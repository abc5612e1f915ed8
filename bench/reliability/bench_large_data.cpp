// The program on twenty years of use (146 100 day items, see large_database.h):
// listing a day, the day's reminders, both exports, and the backup. Nothing of
// these but the backup should grow with the size of the database (its start-up
// is a row of bench_startup). Counter peak_rss_MiB: the largest resident size of
// this process.
#include "large_database.h"

#include "goals/period_panel.h"
#include "program_after_startup.h"
#include "goals/work_item_view.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "backup/background_backup.h"
#include "data/record_access.h"
#include "export/excel_export.h"
#include "export/text_export.h"
#include "data/goal_store.h"
#include "shell/app_context.h"
#include "shell/data_folder.h"
#include "shell/message_box.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>
#include <memory>

#include <sys/resource.h>

using namespace jotrak;

namespace {

const QString kBusyDay = QStringLiteral("20300615");

double PeakRssMiB(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The program after start-up on a copy of the twenty-year database.
struct Program : bench::ProgramAfterStartup {
    Program()
        : ProgramAfterStartup(kBusyDay, [](const QString& dataDir) {
              QFile::copy(bench::TwentyYearDatabase(), dataDir + QStringLiteral("/db.mdb"));
          })
    {
    }
};

Program& TheProgram()
{
    static Program* program = new Program;
    return *program;
}

void Finish(benchmark::State& state)
{
    state.counters["peak_rss_MiB"] = PeakRssMiB(RUSAGE_SELF);
    if (!testing::MessageBoxSeam::Shown().isEmpty())
        state.SkipWithError(qPrintable(testing::MessageBoxSeam::Shown().first().text));
}

// Command 118 on a day of 20 items, from the click to the painted list.
void ListADayOfTwentyYears(benchmark::State& state)
{
    Program& program = TheProgram();
    auto* dayItems = program.window->findChild<QPushButton*>(QStringLiteral("btn118"));
    for (auto _ : state) {
        dayItems->click();
        program.window->itemView()->repaint();
    }
    if (program.window->itemView()->model()->rowCount() != bench::kItemsPerDay)
        state.SkipWithError("the day does not list its 20 items");
    Finish(state);
}
BENCHMARK(ListADayOfTwentyYears)->Unit(benchmark::kMillisecond);

// Command 116's reminders of the day, among 1000 schemes.
void DayRemindersOfTwentyYears(benchmark::State& state)
{
    Program& program = TheProgram();
    for (auto _ : state)
        program.window->runCommand(116);
    Finish(state);
}
BENCHMARK(DayRemindersOfTwentyYears)->Unit(benchmark::kMillisecond);

// Runs write into memory each round; file_MiB is the size of what it wrote.
void ExportEachRound(benchmark::State& state, const std::function<ExportResult(QIODevice&)>& write)
{
    TheProgram();
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const ExportResult result = write(out);
        if (!result) {
            state.SkipWithError(qPrintable(result.message));
            return;
        }
        bytes = out.size();
    }
    state.counters["file_MiB"] = static_cast<double>(bytes) / (1 << 20);
    Finish(state);
}

// All 7305 day goals as text.
void TextExportOfTwentyYears(benchmark::State& state)
{
    ExportEachRound(state, [](QIODevice& out) {
        return ExportGoalsAsText(App().log.connection(), Table::Ri, QStringLiteral("20171231"),
                                 QStringLiteral("20380101"), out);
    });
}
BENCHMARK(TextExportOfTwentyYears)->Unit(benchmark::kMillisecond);

// 3000 days of items, 60 000 rows, into the delivered template.
void ExcelExport60000ItemsOfTwentyYears(benchmark::State& state)
{
    const QString templatePath =
        QDir(ShippedFilesDir(QStringLiteral(JOTRAK_BIN_DIR))).filePath(QStringLiteral("1.xls"));
    const QString toKey = QDate(2018, 1, 1).addDays(2999).toString(QStringLiteral("yyyyMMdd"));
    ExportEachRound(state, [&](QIODevice& out) {
        return ExportItemsToExcel(App().log.connection(), Table::Ri, QStringLiteral("20180101"), toKey, kExportAllItems,
                                  templatePath, out);
    });
}
BENCHMARK(ExcelExport60000ItemsOfTwentyYears)->Unit(benchmark::kMillisecond);

// The whole backup of the twenty-year file as the program makes it: the copy
// in steps, the check of the copy, the rename and the retention.
void BackupOfTwentyYears(benchmark::State& state)
{
    TheProgram();
    QTemporaryDir folder;
    QDateTime at(QDate(2030, 6, 15), QTime(9, 0));
    for (auto _ : state) {
        const BackupResult result = MakeBackup(App().log.connection(), folder.path(), at = at.addDays(1));
        if (!result.ok) {
            state.SkipWithError(qPrintable(result.reason));
            return;
        }
    }
    state.counters["file_MiB"] = static_cast<double>(QFileInfo(App().log.connection().path()).size()) / (1 << 20);
    Finish(state);
}
BENCHMARK(BackupOfTwentyYears)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same on the thread of its own the program uses, while the window's thread
// runs its event loop with a 1 ms timer and stores a day goal every 50 ms.
// Arg 0: the window alone for 500 ms, the yardstick; 1: the backup on the
// window's connection, as the day's backup; 2: on a connection of its own, as
// the copy a restore makes first. Counters: longest_ui_step_ms (the longest
// the event loop was away, a store excluded), longest_store_ms (the longest
// store, waiting for the file included), longest_wait_ms (the longest a store
// waited for a step of the copy to end before it could start), stores.
// The iteration time is the backup's, start to result.
void BackupOfTwentyYearsWhileTheWindowAnswers(benchmark::State& state)
{
    TheProgram();
    QTemporaryDir folder;
    QDateTime at(QDate(2031, 6, 15), QTime(9, 0));
    ConnectionHolder own;
    OpenDatabase(own, QDir::fromNativeSeparators(App().log.connection().path()));
    double longestStep = 0, longestStore = 0, longestWait = 0;
    int stores = 0;
    for (auto _ : state) {
        BackgroundBackup runner;
        bool done = false;
        BackupResult result;
        QObject::connect(&runner, &BackgroundBackup::finished, [&](const BackupResult& made) {
            done = true;
            result = made;
        });
        QElapsedTimer clock, sinceStore;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        qint64 last = 0;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            longestStep = std::max(longestStep, static_cast<double>(now - last) / 1e6 - 1.0);
            last = now;
            if (sinceStore.elapsed() >= 50) {
                sqlite3_mutex* connection = sqlite3_db_mutex(App().log.connection().handle());
                sqlite3_mutex_enter(connection);
                longestWait = std::max(longestWait, static_cast<double>(clock.nsecsElapsed() - now) / 1e6);
                StoreGoalText(App().log.connection(), Table::Ri, kBusyDay,
                              QStringLiteral("第 %1 次保存").arg(stores++));
                sqlite3_mutex_leave(connection);
                last = clock.nsecsElapsed();
                longestStore = std::max(longestStore, static_cast<double>(last - now) / 1e6);
                sinceStore.start();
            }
        });
        clock.start();
        sinceStore.start();
        tick.start(1);
        if (state.range(0))
            runner.start(state.range(0) == 1 ? App().log.connection() : own, folder.path(), at = at.addDays(1), false);
        else
            QTimer::singleShot(500, [&] { done = result.ok = true; });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
        if (!result.ok) {
            state.SkipWithError(qPrintable(result.reason));
            return;
        }
    }
    state.counters["longest_ui_step_ms"] = longestStep;
    state.counters["longest_store_ms"] = longestStore;
    state.counters["longest_wait_ms"] = longestWait;
    state.counters["stores"] = stores;
    Finish(state);
}
BENCHMARK(BackupOfTwentyYearsWhileTheWindowAnswers)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

} // namespace
