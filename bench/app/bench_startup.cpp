// Every start-up row of the bench report, measured one way (startup_timing.h):
// from exec until today's line is painted in the window that stays, on the
// screen (run under xvfb-run), against the bare window in the same run, median of
// 20 pairs. The rows: a first start on an empty data folder (the database
// created and seeded at every start), ten years of goals and items, twenty years
// of use (large_database.h), and a seeded database with the start page's web
// engine on and off. The rows of data run with the engine off, so they show what
// the data costs; StartupEngineOn is what a user of the start page waits for.
// StartupOnTenYearsBackupDue: ten years with the day's backup due at every start
// (none made, none remembered): it starts after the first paint, so its ratio
// should match StartupOnTenYears.
#include "app/startup_timing.h"
#include "data/keys.h"
#include "data/record_access.h"
#include "data/seed.h"
#include "reliability/large_database.h"

#include <benchmark/benchmark.h>

#include <QFile>

using namespace jotrak;
using bench::MeasureStartup;
using bench::ProgramCopy;
using bench::StartupRow;

namespace {

const std::vector<std::string> kEngineOff = {"--no-start-page"};

void AddItems(ConnectionHolder& connection, Table goalTable, int goalId, int count, int serial)
{
    RecordsetHolder items;
    OpenRecordset(items, stmt::ItemsOfGoal(goalTable, goalId), connection);
    for (int i = 0; i < count; ++i) {
        AddNewRow(items);
        SetFieldValue(items, QStringLiteral("ShangId"), goalId);
        SetFieldValue(items, QStringLiteral("nr"),
                      QStringLiteral("工作事项 %1-%2:整理资料并汇报进度").arg(serial).arg(i));
        SetFieldValue(items, QStringLiteral("wcqk"), QStringLiteral("已按时完成"));
        SetFieldValue(items, QStringLiteral("IsOk"), i % 2);
        StoreRow(items);
    }
}

// Ten years (2018-2027) of goals with items: every year, month and day goal
// written, 10 items per year, 5 per month and 3 per day.
void FillTenYears(const QString& path)
{
    ConnectionHolder connection;
    CreateConnection(connection);
    OpenDatabase(connection, path);
    SeedPeriodTables(connection);
    Transaction transaction(connection);
    const struct {
        Table table;
        int keyLength;
        int itemsEach;
    } kinds[] = {{Table::Nian, 4, 10}, {Table::Yue, 6, 5}, {Table::Ri, 8, 3}};
    int serial = 0;
    for (const auto& kind : kinds) {
        RecordsetHolder goals;
        OpenRecordset(goals, stmt::SelectAll(kind.table), connection);
        for (; !IsAtEnd(goals); MoveToNext(goals)) {
            const QString key = GetFieldValue(goals, QStringLiteral("ming")).toText();
            if (key.left(4).toInt() > 2027)
                continue;
            SetFieldValue(goals, QStringLiteral("nr"),
                          QStringLiteral("%1 的目标:完成计划中的各项工作,按时总结,保持记录。").arg(key).repeated(3));
            StoreRow(goals);
            AddItems(connection, kind.table, GetFieldValue(goals, QStringLiteral("IDME")).toInt(), kind.itemsEach,
                     ++serial);
        }
    }
    transaction.commit();
}

void StartupOnEmptyFolder(benchmark::State& state)
{
    ProgramCopy program;
    MeasureStartup(state, program, {kEngineOff, [&] { program.removeDatabase(); }, false});
}

void StartupOnTenYears(benchmark::State& state)
{
    ProgramCopy program;
    FillTenYears(program.database());
    MeasureStartup(state, program, {kEngineOff, {}, false});
}

void StartupOnTenYearsBackupDue(benchmark::State& state)
{
    ProgramCopy program;
    FillTenYears(program.database());
    MeasureStartup(state, program, {kEngineOff, [&] { program.forgetBackups(); }, false});
}

void StartupOnTwentyYears(benchmark::State& state)
{
    ProgramCopy program;
    QFile::copy(bench::TwentyYearDatabase(), program.database());
    MeasureStartup(state, program, {kEngineOff, {}, false});
}

void StartupEngine(benchmark::State& state, bool on)
{
    ProgramCopy program;
    if (!bench::RunProgramOnce(program, kEngineOff)) {
        state.SkipWithError("the first start, which seeds the database, failed");
        return;
    }
    MeasureStartup(state, program, {on ? std::vector<std::string>{} : kEngineOff, {}, true});
}

void StartupEngineOn(benchmark::State& state)
{
    StartupEngine(state, true);
}

void StartupEngineOff(benchmark::State& state)
{
    StartupEngine(state, false);
}

} // namespace

BENCHMARK(StartupOnEmptyFolder)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(StartupOnTenYears)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(StartupOnTwentyYears)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(StartupEngineOn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(StartupEngineOff)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(StartupOnTenYearsBackupDue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

BENCHMARK_MAIN();
