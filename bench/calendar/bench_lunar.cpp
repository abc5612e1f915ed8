#include "calendar/cri_li.h"

#include <benchmark/benchmark.h>

using jotrak::CRiLi;

namespace {

// The lunar date of every day from 1 January 1901 to 31 December 2050.
void LunarDateOfEveryDay(benchmark::State& state)
{
    const qint64 last = CRiLi::DayNumber(2050, 12, 31);
    for (auto _ : state) {
        int daySum = 0;
        for (qint64 n = 0; n <= last; ++n)
            daySum += CRiLi::LunarDateFromDayNumber(n).day;
        benchmark::DoNotOptimize(daySum);
    }
    state.SetItemsProcessed(state.iterations() * (last + 1));
}
BENCHMARK(LunarDateOfEveryDay)->Unit(benchmark::kMillisecond);

// The same pass through objects, as callers use it: construct, then GetLunarDate.
void LunarDateOfEveryDayThroughObjects(benchmark::State& state)
{
    for (auto _ : state) {
        int daySum = 0;
        for (int year = 1901; year <= 2050; ++year)
            for (int month = 1; month <= 12; ++month)
                for (int day = 1, days = CRiLi::DaysInMonth(month, year); day <= days; ++day)
                    daySum += CRiLi(year, month, day).GetLunarDate().day;
        benchmark::DoNotOptimize(daySum);
    }
}
BENCHMARK(LunarDateOfEveryDayThroughObjects)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
