#pragma once

#include "reports/report_template.h"

#include <optional>

class QWidget;

namespace jotrak {

// The template editor of the report dialog: each section's heading, whether it
// is shown, its place (上移 / 下移), and whether weeks begin on Sunday.
// Returns the edited template and week start, or nothing when cancelled.
struct ReportLayout {
    ReportTemplate sections;
    Qt::DayOfWeek weekStart = Qt::Monday;
};
std::optional<ReportLayout> EditReportLayout(QWidget* parent, const ReportLayout& current);

} // namespace jotrak
