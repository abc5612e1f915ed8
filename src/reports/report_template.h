#pragma once

#include <QString>

#include <vector>

class QSettings;

namespace jotrak {

// The parts of a work report.
enum class ReportSection { Goals, Done, Open, Next, Counts };

struct SectionSetting {
    ReportSection section = ReportSection::Goals;
    QString heading;
    bool shown = true;
    bool operator==(const SectionSetting&) const = default;
};

// The sections in the order the report shows them, each with its heading and
// whether it is shown. Every section appears exactly once.
using ReportTemplate = std::vector<SectionSetting>;

// 本期目标 / 已完成 / 未完成 / 下期计划 / 统计, all shown.
ReportTemplate DefaultReportTemplate();

// The template kept under ReportTemplate/ in the settings. Sections the settings
// do not name (or name twice) are taken from the default, appended in its
// order; an empty heading is the default's.
ReportTemplate LoadReportTemplate(QSettings& settings);
void StoreReportTemplate(QSettings& settings, const ReportTemplate& reportTemplate);

// Whether weeks begin on Sunday (Reports/WeekStartsOnSunday); Monday otherwise.
Qt::DayOfWeek LoadWeekStart(QSettings& settings);
void StoreWeekStart(QSettings& settings, Qt::DayOfWeek weekStart);

} // namespace jotrak
