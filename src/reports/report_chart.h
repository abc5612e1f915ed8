#pragma once

#include "reports/report_builder.h"

#include <vector>

class QWidget;

namespace jotrak {

// A small stacked bar chart of the counts: done and still open per day (or week).
QWidget* MakeCountsChart(QWidget* parent);
void ShowCounts(QWidget* chart, const std::vector<CountRow>& counts);

} // namespace jotrak
