// Work reports on twenty years of use (see large_database.h): reading a
// period and the one after it, composing the report and writing it as HTML,
// as the report dialog's preview does, for a week and for a whole year; and
// carrying 100 open items (and one) of one day to the next, on a copy of the file.
#include "reliability/large_database.h"

#include "data/record_access.h"
#include "data/goal_store.h"
#include "data/item_store.h"
#include "data/carry_store.h"
#include "reports/report_builder.h"
#include "reports/report_render.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QTemporaryDir>

using namespace jotrak;

namespace {

void ReportOf(benchmark::State& state, PeriodChoice choice)
{
    ConnectionHolder connection;
    OpenDatabase(connection, bench::TwentyYearDatabase());
    const ReportPeriod period = PeriodOf(choice, QDate(2030, 6, 12), Qt::Monday);
    qsizetype characters = 0;
    for (auto _ : state) {
        const Report report = BuildReport(connection, period, Qt::Monday);
        characters = RenderHtml(ComposeReport(report, DefaultReportTemplate())).size();
    }
    state.counters["characters"] = static_cast<double>(characters);
}

void CarryItems(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("db.mdb"));
    QFile::copy(bench::TwentyYearDatabase(), path);
    ConnectionHolder connection;
    OpenDatabase(connection, path);
    const int count = static_cast<int>(state.range(0));
    int day = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QDate from = QDate(2030, 1, 1).addDays(day++);
        const QString fromKey = FormatDayKey(from.year(), from.month(), from.day());
        const QDate to = from.addDays(1);
        const QString toKey = FormatDayKey(to.year(), to.month(), to.day());
        std::vector<int> ids;
        {
            Transaction adding(connection);
            const int goal = *FindGoalId(connection, Table::Ri, fromKey);
            for (int i = 0; i < count; ++i)
                ids.push_back(AppendWorkItem(connection, Table::Ri, goal, QStringLiteral("open item %1").arg(i)));
            adding.commit();
        }
        state.ResumeTiming();
        if (CarryItemsForward(connection, Table::Ri, ids, toKey).carried != count)
            state.SkipWithError("not every item was carried");
    }
}

} // namespace

// one item: what the commit alone costs on this disk
BENCHMARK(CarryItems)->Arg(1)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReportOf, Week, PeriodChoice::ThisWeek)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReportOf, Year, PeriodChoice::ThisYear)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
