#include "reports/report_template.h"

#include <QSettings>

#include <algorithm>
#include <optional>

namespace jotrak {

namespace {

const char* const kSectionNames[] = {"goals", "done", "open", "next", "counts"};

QString SectionName(ReportSection section)
{
    return QString::fromLatin1(kSectionNames[static_cast<int>(section)]);
}

std::optional<ReportSection> SectionNamed(const QString& name)
{
    for (int i = 0; i < 5; ++i)
        if (name == QLatin1String(kSectionNames[i]))
            return static_cast<ReportSection>(i);
    return std::nullopt;
}

} // namespace

ReportTemplate DefaultReportTemplate()
{
    return {{ReportSection::Goals, QString::fromUtf8("本期目标"), true},
            {ReportSection::Done, QString::fromUtf8("已完成"), true},
            {ReportSection::Open, QString::fromUtf8("未完成"), true},
            {ReportSection::Next, QString::fromUtf8("下期计划"), true},
            {ReportSection::Counts, QString::fromUtf8("统计"), true}};
}

ReportTemplate LoadReportTemplate(QSettings& settings)
{
    const ReportTemplate defaults = DefaultReportTemplate();
    ReportTemplate loaded;
    const auto has = [&](ReportSection section) {
        return std::any_of(loaded.begin(), loaded.end(), [&](const SectionSetting& s) { return s.section == section; });
    };
    const int count = settings.beginReadArray(QStringLiteral("ReportTemplate"));
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const auto section = SectionNamed(settings.value(QStringLiteral("section")).toString());
        if (!section || has(*section))
            continue;
        QString heading = settings.value(QStringLiteral("heading")).toString().trimmed();
        if (heading.isEmpty())
            heading = defaults[static_cast<std::size_t>(*section)].heading;
        loaded.push_back({*section, heading, settings.value(QStringLiteral("shown"), true).toBool()});
    }
    settings.endArray();
    for (const SectionSetting& fallback : defaults)
        if (!has(fallback.section))
            loaded.push_back(fallback);
    return loaded;
}

void StoreReportTemplate(QSettings& settings, const ReportTemplate& reportTemplate)
{
    settings.beginWriteArray(QStringLiteral("ReportTemplate"), static_cast<int>(reportTemplate.size()));
    for (std::size_t i = 0; i < reportTemplate.size(); ++i) {
        settings.setArrayIndex(static_cast<int>(i));
        settings.setValue(QStringLiteral("section"), SectionName(reportTemplate[i].section));
        settings.setValue(QStringLiteral("heading"), reportTemplate[i].heading);
        settings.setValue(QStringLiteral("shown"), reportTemplate[i].shown);
    }
    settings.endArray();
}

Qt::DayOfWeek LoadWeekStart(QSettings& settings)
{
    return settings.value(QStringLiteral("Reports/WeekStartsOnSunday"), false).toBool() ? Qt::Sunday : Qt::Monday;
}

void StoreWeekStart(QSettings& settings, Qt::DayOfWeek weekStart)
{
    settings.setValue(QStringLiteral("Reports/WeekStartsOnSunday"), weekStart == Qt::Sunday);
}

} // namespace jotrak
