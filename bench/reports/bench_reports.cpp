// Work reports on twenty years of use (see large_database.h): reading a
// period and the one after it, composing the report and writing it as HTML,
// as the report dialog's preview does, for a week and for a whole year.
#include "reliability/large_database.h"

#include "data/record_access.h"
#include "reports/report_builder.h"
#include "reports/report_render.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_CAPTURE(ReportOf, Week, PeriodChoice::ThisWeek)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(ReportOf, Year, PeriodChoice::ThisYear)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
