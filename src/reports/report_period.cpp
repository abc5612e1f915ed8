#include "reports/report_period.h"

#include <utility>

namespace jotrak {

namespace {

QDate MonthStart(QDate day)
{
    return QDate(day.year(), day.month(), 1);
}

QDate QuarterStart(QDate day)
{
    return QDate(day.year(), (day.month() - 1) / 3 * 3 + 1, 1);
}

ReportPeriod Span(PeriodSpan span, QDate first)
{
    switch (span) {
    case PeriodSpan::Day: return {span, first, first};
    case PeriodSpan::Week: return {span, first, first.addDays(6)};
    case PeriodSpan::Month: return {span, first, first.addMonths(1).addDays(-1)};
    case PeriodSpan::Quarter: return {span, first, first.addMonths(3).addDays(-1)};
    case PeriodSpan::Year: return {span, first, first.addYears(1).addDays(-1)};
    case PeriodSpan::Days: break;
    }
    return {span, first, first};
}

QString IsoDate(QDate day)
{
    return day.toString(Qt::ISODate);
}

QString MonthDay(QDate day)
{
    return QString::fromUtf8("%1月%2日").arg(day.month()).arg(day.day());
}

} // namespace

QString PeriodChoiceCaption(PeriodChoice choice)
{
    switch (choice) {
    case PeriodChoice::Today: return QString::fromUtf8("今天 (日报)");
    case PeriodChoice::ThisWeek: return QString::fromUtf8("本周");
    case PeriodChoice::LastWeek: return QString::fromUtf8("上周");
    case PeriodChoice::ThisMonth: return QString::fromUtf8("本月");
    case PeriodChoice::LastMonth: return QString::fromUtf8("上月");
    case PeriodChoice::ThisQuarter: return QString::fromUtf8("本季度");
    case PeriodChoice::ThisYear: return QString::fromUtf8("本年");
    case PeriodChoice::Custom: break;
    }
    return QString::fromUtf8("自定义");
}

QDate WeekStartOf(QDate day, Qt::DayOfWeek weekStart)
{
    const int back = (day.dayOfWeek() - static_cast<int>(weekStart) + 7) % 7;
    return day.addDays(-back);
}

ReportPeriod PeriodOf(PeriodChoice choice, QDate today, Qt::DayOfWeek weekStart, QDate customFirst, QDate customLast)
{
    switch (choice) {
    case PeriodChoice::Today: return Span(PeriodSpan::Day, today);
    case PeriodChoice::ThisWeek: return Span(PeriodSpan::Week, WeekStartOf(today, weekStart));
    case PeriodChoice::LastWeek: return Span(PeriodSpan::Week, WeekStartOf(today, weekStart).addDays(-7));
    case PeriodChoice::ThisMonth: return Span(PeriodSpan::Month, MonthStart(today));
    case PeriodChoice::LastMonth: return Span(PeriodSpan::Month, MonthStart(today).addMonths(-1));
    case PeriodChoice::ThisQuarter: return Span(PeriodSpan::Quarter, QuarterStart(today));
    case PeriodChoice::ThisYear: return Span(PeriodSpan::Year, QDate(today.year(), 1, 1));
    case PeriodChoice::Custom: break;
    }
    if (!customFirst.isValid())
        customFirst = today;
    if (!customLast.isValid())
        customLast = customFirst;
    if (customLast < customFirst)
        std::swap(customFirst, customLast);
    return {PeriodSpan::Days, customFirst, customLast};
}

ReportPeriod NextPeriod(const ReportPeriod& period)
{
    if (period.span == PeriodSpan::Days)
        return {PeriodSpan::Days, period.last.addDays(1), period.last.addDays(period.dayCount())};
    return Span(period.span, period.last.addDays(1));
}

QString PeriodTitle(const ReportPeriod& period, Qt::DayOfWeek weekStart)
{
    const QDate first = period.first;
    switch (period.span) {
    case PeriodSpan::Day: return QString::fromUtf8("日报 %1").arg(IsoDate(first));
    case PeriodSpan::Week: {
        const QString days = QString::fromUtf8("%1–%2").arg(MonthDay(first), MonthDay(period.last));
        if (weekStart != Qt::Monday)
            return QString::fromUtf8("周报 %1年%2").arg(first.year()).arg(days);
        int isoYear = 0;
        const int week = first.weekNumber(&isoYear);
        return QString::fromUtf8("周报 %1年第%2周 (%3)").arg(isoYear).arg(week).arg(days);
    }
    case PeriodSpan::Month: return QString::fromUtf8("月报 %1年%2月").arg(first.year()).arg(first.month());
    case PeriodSpan::Quarter:
        return QString::fromUtf8("季报 %1年第%2季度").arg(first.year()).arg((first.month() - 1) / 3 + 1);
    case PeriodSpan::Year: return QString::fromUtf8("年报 %1年").arg(first.year());
    case PeriodSpan::Days: break;
    }
    return QString::fromUtf8("工作报告 %1 至 %2").arg(IsoDate(first), IsoDate(period.last));
}

QString DayCaption(QDate day)
{
    static const char* const names[] = {"一", "二", "三", "四", "五", "六", "日"};
    return MonthDay(day) + QString::fromUtf8(" 周") + QString::fromUtf8(names[day.dayOfWeek() - 1]);
}

} // namespace jotrak
