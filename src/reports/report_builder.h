#pragma once

#include "reports/report_period.h"
#include "reports/report_store.h"
#include "reports/report_template.h"

#include <QString>

#include <vector>

namespace jotrak {

class ConnectionHolder;

// Done and all day items of one day, or of one week in a long period.
struct CountRow {
    QString label;
    int done = 0;
    int all = 0;
};

// A work report: the log of its period and of the period after it, and the
// counts. An item carried forward counts once, where its last copy lies.
struct Report {
    ReportPeriod period;
    ReportPeriod next;
    QString title;
    PeriodLog log;
    PeriodLog nextLog;
    std::vector<CountRow> counts; // per day up to 31 days, else per week
    int done = 0;
    int all = 0;
};

// Reads the period and the next one from the log (three statements each).
Report BuildReport(ConnectionHolder& connection, const ReportPeriod& period, Qt::DayOfWeek weekStart);
Report AssembleReport(const ReportPeriod& period, Qt::DayOfWeek weekStart, PeriodLog log, PeriodLog nextLog);

// The report as a list of blocks, in the template's order and with its
// headings, for the renderers (report_render.h).
enum class BlockKind { Title, Heading, Subheading, Paragraph, Bullet };
struct ReportBlock {
    BlockKind kind = BlockKind::Paragraph;
    QString text;
    bool operator==(const ReportBlock&) const = default;
};
std::vector<ReportBlock> ComposeReport(const Report& report, const ReportTemplate& reportTemplate);

// "已结转 → 20261208"
QString CarriedMark(const QString& destinationKey);

} // namespace jotrak
