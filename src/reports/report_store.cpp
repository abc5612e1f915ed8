#include "reports/report_store.h"

#include "data/record_access.h"
#include "data/carried_marks.h"

namespace jotrak {

namespace {

// (goal IDME, key, goal text, item content, note, done, carried to), items in
// IDME order after their goal; a goal without items gives one row of Nulls.
Statement GoalsWithItems(Table goalTable, const QString& first, const QString& last, bool carriedMarks)
{
    const QString sql = QStringLiteral(
        "Select g.IDME, g.ming, g.nr, i.IDME, i.nr, i.wcqk, i.IsOk, %3 from %1 g left join %2 i on i.ShangId = g.IDME "
        "where g.ming >= ? and g.ming <= ? order by g.ming, g.IDME, i.IDME");
    return {sql.arg(TableName(goalTable), TableName(ItemTableOf(goalTable)),
                    carriedMarks ? QStringLiteral("i.") + kCarriedToColumn : QStringLiteral("Null")),
            {first, last},
            goalTable};
}

std::vector<LoggedGoal> ReadGoals(ConnectionHolder& connection, Table goalTable, const QString& first,
                                  const QString& last, bool carriedMarks)
{
    std::vector<LoggedGoal> goals;
    qint64 lastGoalId = -1;
    ReadRows(connection, GoalsWithItems(goalTable, first, last, carriedMarks), [&](const std::vector<Value>& row) {
        const qint64 goalId = row[0].toInteger();
        if (goals.empty() || goalId != lastGoalId) {
            goals.push_back({TextFromValue(row[1]), TextFromValue(row[2]), {}});
            lastGoalId = goalId;
        }
        if (!row[3].isNull())
            goals.back().items.push_back(
                {TextFromValue(row[4]), TextFromValue(row[5]), row[6].toInteger() != 0, TextFromValue(row[7])});
        return true;
    });
    return goals;
}

} // namespace

PeriodLog ReadPeriodLog(ConnectionHolder& connection, QDate first, QDate last)
{
    const bool carriedMarks = HasCarriedMarks(connection);
    PeriodLog log;
    log.years =
        ReadGoals(connection, Table::Nian, QString::number(first.year()), QString::number(last.year()), carriedMarks);
    log.months = ReadGoals(connection, Table::Yue, FormatMonthKey(first.year(), first.month()),
                           FormatMonthKey(last.year(), last.month()), carriedMarks);
    log.days = ReadGoals(connection, Table::Ri, FormatDayKey(first.year(), first.month(), first.day()),
                         FormatDayKey(last.year(), last.month(), last.day()), carriedMarks);
    return log;
}

} // namespace jotrak
