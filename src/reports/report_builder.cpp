#include "reports/report_builder.h"

#include <QSet>

#include <functional>
#include <map>

namespace jotrak {

namespace {

QDate DayOfKey(const QString& key)
{
    return QDate::fromString(key, QStringLiteral("yyyyMMdd"));
}

bool Covers(const ReportPeriod& period, QDate first, QDate last)
{
    return first >= period.first && last <= period.last;
}

bool YearCovered(const ReportPeriod& period, const QString& key)
{
    const int year = key.toInt();
    return Covers(period, QDate(year, 1, 1), QDate(year, 12, 31));
}

bool MonthCovered(const ReportPeriod& period, const QString& key)
{
    const QDate first(key.left(4).toInt(), key.mid(4, 2).toInt(), 1);
    return first.isValid() && Covers(period, first, first.addMonths(1).addDays(-1));
}

QSet<QString> KeysOf(const PeriodLog& log)
{
    QSet<QString> keys;
    for (const auto* goals : {&log.years, &log.months, &log.days})
        for (const LoggedGoal& goal : *goals)
            keys.insert(goal.key);
    return keys;
}

// An item carried to a goal the same report reads is told there, by its copy.
bool CopyIsInReport(const LoggedItem& item, const QSet<QString>& keys)
{
    return !item.carriedTo.isEmpty() && keys.contains(item.carriedTo);
}

QString ItemLine(const LoggedItem& item)
{
    if (item.note.isEmpty())
        return item.content;
    return item.content + QString::fromUtf8("(完成情况:%1)").arg(item.note);
}

// "2026年", "2026年12月", "12月7日 周一"
QString GoalCaption(const QString& key)
{
    if (key.size() == 4)
        return QString::fromUtf8("%1年").arg(key);
    if (key.size() == 6)
        return QString::fromUtf8("%1年%2月").arg(key.left(4)).arg(key.mid(4, 2).toInt());
    return DayCaption(DayOfKey(key));
}

struct Group {
    QString caption; // of the goal's items: a year's or month's say so
    const LoggedGoal* goal;
};

// The groups of items a report lists: the years and months it covers whole, then every day.
std::vector<Group> ItemGroups(const PeriodLog& log, const ReportPeriod& period)
{
    std::vector<Group> groups;
    for (const LoggedGoal& goal : log.years)
        if (YearCovered(period, goal.key))
            groups.push_back({GoalCaption(goal.key) + QString::fromUtf8(" 年度事项"), &goal});
    for (const LoggedGoal& goal : log.months)
        if (MonthCovered(period, goal.key))
            groups.push_back({GoalCaption(goal.key) + QString::fromUtf8(" 月度事项"), &goal});
    for (const LoggedGoal& goal : log.days)
        if (const QDate day = DayOfKey(goal.key); day.isValid())
            groups.push_back({GoalCaption(goal.key), &goal});
    return groups;
}

void AppendItemGroups(std::vector<ReportBlock>& blocks, const PeriodLog& log, const ReportPeriod& period,
                      const std::function<std::optional<QString>(const LoggedItem&)>& lineOf)
{
    const std::size_t start = blocks.size();
    for (const Group& group : ItemGroups(log, period)) {
        bool captioned = false;
        for (const LoggedItem& item : group.goal->items) {
            const std::optional<QString> line = lineOf(item);
            if (!line)
                continue;
            if (!captioned)
                blocks.push_back({BlockKind::Subheading, group.caption});
            captioned = true;
            blocks.push_back({BlockKind::Bullet, *line});
        }
    }
    if (blocks.size() == start)
        blocks.push_back({BlockKind::Paragraph, QString::fromUtf8("(无)")});
}

void AppendGoals(std::vector<ReportBlock>& blocks, const Report& report)
{
    const std::size_t start = blocks.size();
    const auto add = [&](const QString& caption, const QString& text) {
        if (text.trimmed().isEmpty())
            return;
        blocks.push_back({BlockKind::Subheading, caption});
        blocks.push_back({BlockKind::Paragraph, text});
    };
    for (const auto* goals : {&report.log.years, &report.log.months, &report.log.days})
        for (const LoggedGoal& goal : *goals)
            if (goal.key.size() != 8 || DayOfKey(goal.key).isValid())
                add(GoalCaption(goal.key), goal.text);
    if (blocks.size() == start)
        blocks.push_back({BlockKind::Paragraph, QString::fromUtf8("(无)")});
}

void AppendNext(std::vector<ReportBlock>& blocks, const Report& report)
{
    const QSet<QString> keys = KeysOf(report.nextLog);
    const std::size_t start = blocks.size();
    for (const Group& group : ItemGroups(report.nextLog, report.next)) {
        std::vector<ReportBlock> lines;
        if (!group.goal->text.trimmed().isEmpty())
            lines.push_back({BlockKind::Paragraph, group.goal->text});
        for (const LoggedItem& item : group.goal->items)
            if (!CopyIsInReport(item, keys))
                lines.push_back(
                    {BlockKind::Bullet, item.done ? item.content + QString::fromUtf8(" (已完成)") : item.content});
        if (lines.empty())
            continue;
        blocks.push_back({BlockKind::Subheading, GoalCaption(group.goal->key)});
        blocks.insert(blocks.end(), lines.begin(), lines.end());
    }
    if (blocks.size() == start)
        blocks.push_back({BlockKind::Paragraph, QString::fromUtf8("(尚未填写)")});
}

void AppendCounts(std::vector<ReportBlock>& blocks, const Report& report)
{
    for (const CountRow& row : report.counts)
        blocks.push_back(
            {BlockKind::Bullet, QString::fromUtf8("%1:完成 %2 / 共 %3").arg(row.label).arg(row.done).arg(row.all)});
    const QString rate =
        report.all == 0 ? QString() : QString::fromUtf8(",完成率 %1%").arg(report.done * 100 / report.all);
    blocks.push_back(
        {BlockKind::Paragraph, QString::fromUtf8("合计:完成 %1 / 共 %2%3").arg(report.done).arg(report.all).arg(rate)});
}

std::vector<CountRow> CountDays(const Report& report, Qt::DayOfWeek weekStart)
{
    const ReportPeriod& period = report.period;
    const bool weekly = period.dayCount() > 31;
    std::vector<CountRow> rows;
    std::map<QDate, std::size_t> rowOfStart;
    for (QDate day = period.first; day <= period.last; day = day.addDays(1)) {
        const QDate start = weekly ? std::max(WeekStartOf(day, weekStart), period.first) : day;
        if (rowOfStart.count(start))
            continue;
        rowOfStart[start] = rows.size();
        if (!weekly) {
            rows.push_back({DayCaption(day), 0, 0});
            continue;
        }
        const QDate end = std::min(WeekStartOf(day, weekStart).addDays(6), period.last);
        rows.push_back(
            {QString::fromUtf8("%1月%2日–%3月%4日").arg(start.month()).arg(start.day()).arg(end.month()).arg(end.day()),
             0, 0});
    }
    for (const LoggedGoal& goal : report.log.days) {
        const QDate day = DayOfKey(goal.key);
        if (!day.isValid() || day < period.first || day > period.last)
            continue;
        CountRow& row = rows[rowOfStart[weekly ? std::max(WeekStartOf(day, weekStart), period.first) : day]];
        for (const LoggedItem& item : goal.items) {
            if (!item.carriedTo.isEmpty())
                continue; // counted where its copy is finished
            ++row.all;
            row.done += item.done ? 1 : 0;
        }
    }
    return rows;
}

} // namespace

QString CarriedMark(const QString& destinationKey)
{
    return QString::fromUtf8("已结转 → %1").arg(destinationKey);
}

Report AssembleReport(const ReportPeriod& period, Qt::DayOfWeek weekStart, PeriodLog log, PeriodLog nextLog)
{
    Report report;
    report.period = period;
    report.next = NextPeriod(period);
    report.title = PeriodTitle(period, weekStart);
    report.log = std::move(log);
    report.nextLog = std::move(nextLog);
    report.counts = CountDays(report, weekStart);
    for (const CountRow& row : report.counts) {
        report.done += row.done;
        report.all += row.all;
    }
    return report;
}

Report BuildReport(ConnectionHolder& connection, const ReportPeriod& period, Qt::DayOfWeek weekStart)
{
    const ReportPeriod next = NextPeriod(period);
    return AssembleReport(period, weekStart, ReadPeriodLog(connection, period.first, period.last),
                          ReadPeriodLog(connection, next.first, next.last));
}

std::vector<ReportBlock> ComposeReport(const Report& report, const ReportTemplate& reportTemplate)
{
    std::vector<ReportBlock> blocks = {{BlockKind::Title, report.title}};
    const QSet<QString> keys = KeysOf(report.log);
    for (const SectionSetting& section : reportTemplate) {
        if (!section.shown)
            continue;
        blocks.push_back({BlockKind::Heading, section.heading});
        switch (section.section) {
        case ReportSection::Goals: AppendGoals(blocks, report); break;
        case ReportSection::Done:
            AppendItemGroups(blocks, report.log, report.period, [&](const LoggedItem& item) -> std::optional<QString> {
                if (!item.done || !item.carriedTo.isEmpty())
                    return std::nullopt;
                return ItemLine(item);
            });
            break;
        case ReportSection::Open:
            AppendItemGroups(blocks, report.log, report.period, [&](const LoggedItem& item) -> std::optional<QString> {
                if (item.done || CopyIsInReport(item, keys))
                    return std::nullopt;
                if (!item.carriedTo.isEmpty())
                    return ItemLine(item) + QString::fromUtf8(" (%1)").arg(CarriedMark(item.carriedTo));
                return ItemLine(item);
            });
            break;
        case ReportSection::Next: AppendNext(blocks, report); break;
        case ReportSection::Counts: AppendCounts(blocks, report); break;
        }
    }
    return blocks;
}

} // namespace jotrak
