#pragma once

#include <QDate>
#include <QString>

namespace jotrak {

// The periods a work report covers, as the report dialog offers them.
enum class PeriodChoice { Today, ThisWeek, LastWeek, ThisMonth, LastMonth, ThisQuarter, ThisYear, Custom };

// How long a period runs, which decides the next one and the report's name.
enum class PeriodSpan { Day, Week, Month, Quarter, Year, Days };

struct ReportPeriod {
    PeriodSpan span = PeriodSpan::Day;
    QDate first;
    QDate last; // included
    int dayCount() const { return static_cast<int>(first.daysTo(last)) + 1; }
    bool operator==(const ReportPeriod&) const = default;
};

// The caption of a choice in the period picker: "今天 (日报)", "本周" ...
QString PeriodChoiceCaption(PeriodChoice choice);

// The first day of the week holding day: Monday, or Sunday when weekStart says so.
QDate WeekStartOf(QDate day, Qt::DayOfWeek weekStart);

// The period of a choice as seen on today. A custom period runs from customFirst
// to customLast, whichever order they come in.
ReportPeriod PeriodOf(PeriodChoice choice, QDate today, Qt::DayOfWeek weekStart, QDate customFirst = {},
                      QDate customLast = {});

// The period right after: the next day, week, month, quarter or year; for a
// custom period the same number of days after it.
ReportPeriod NextPeriod(const ReportPeriod& period);

// The report's name: "日报 2026-12-07", "周报 2026年第50周 (12月7日–12月13日)",
// "月报 2026年12月", "季报 2026年第4季度", "年报 2026年", "工作报告 2026-12-01 至 2026-12-20".
QString PeriodTitle(const ReportPeriod& period, Qt::DayOfWeek weekStart);

// "12月7日 周一"
QString DayCaption(QDate day);

} // namespace jotrak
