#include "data/statements.h"

namespace jotrak::stmt {

namespace {

Statement make(Table table, const QString& sqlWithTable, std::vector<Value> params = {})
{
    return Statement{sqlWithTable.arg(TableName(table)), std::move(params), table};
}

} // namespace

Statement SelectAll(Table table)
{
    return make(table, QStringLiteral("Select * from %1 order by IDME"));
}

Statement AnyRow(Table table)
{
    return make(table, QStringLiteral("Select * from %1 limit 1"));
}

Statement ForAppending(Table table)
{
    return make(table, QStringLiteral("Select * from %1 where 0"));
}

Statement SeedPeriodKeys(Table periodTable)
{
    // numbers only, written into the text: the new file's script runs it without parameters
    if (periodTable == Table::Nian)
        return make(
            periodTable,
            QStringLiteral("With recursive y(n) as (Select %2 union all Select n + 1 from y where n < %3) "
                           "Insert into %1(ming) Select cast(n as text) from y")
                .arg(QStringLiteral("%1"), QString::number(kFirstSeededYear), QString::number(kLastSeededYear)));
    const bool months = periodTable == Table::Yue;
    const QString step = months ? QStringLiteral("'+1 month'") : QStringLiteral("'+1 day'");
    const QString format = months ? QStringLiteral("'%Y%m'") : QStringLiteral("'%Y%m%d'");
    const QString first = QStringLiteral("'%1-01-01'").arg(kFirstSeededYear);
    const QString last =
        QStringLiteral("'%1-12-%2'").arg(kLastSeededYear).arg(months ? QStringLiteral("01") : QStringLiteral("31"));
    return make(periodTable, QStringLiteral("With recursive d(day) as (Select date(") + first +
                                 QStringLiteral(") union all Select date(day, ") + step +
                                 QStringLiteral(") from d where day < date(") + last +
                                 QStringLiteral(")) Insert into %1(ming) Select strftime(") + format +
                                 QStringLiteral(", day) from d"));
}

Statement LastGoalKey(Table goalTable)
{
    const int digits = goalTable == Table::Nian ? 4 : goalTable == Table::Yue ? 6 : 8;
    return make(goalTable, QStringLiteral("Select max(ming) as ming from %1 where ming glob ?"),
                {QStringLiteral("[0-9]").repeated(digits)});
}

Statement GoalById(Table goalTable, int goalId)
{
    return make(goalTable, QStringLiteral("Select * from %1 where IDME=?"), {goalId});
}

Statement GoalByKey(Table goalTable, const QString& key)
{
    return make(goalTable, QStringLiteral("Select * from %1 where ming = ?"), {key});
}

Statement ItemsOfGoal(Table goalTable, int goalId)
{
    return make(ItemTableOf(goalTable), QStringLiteral("Select * from %1 where ShangId=? order by IDME"), {goalId});
}

Statement DoneItemsOfGoal(Table goalTable, int goalId)
{
    return make(ItemTableOf(goalTable), QStringLiteral("Select * from %1 where ShangId=? and IsOk=1 order by IDME"),
                {goalId});
}

Statement OpenItemsOfGoal(Table goalTable, int goalId)
{
    return make(ItemTableOf(goalTable),
                QStringLiteral("Select * from %1 where ShangId=? and (IsOk is null or IsOk=0) order by IDME"),
                {goalId});
}

Statement ItemById(Table itemTable, int itemId)
{
    return make(itemTable, QStringLiteral("Select * from %1 where IDME=?"), {itemId});
}

Statement DeleteItem(Table itemTable, int itemId)
{
    return make(itemTable, QStringLiteral("Delete from %1 where IDME=?"), {itemId});
}

Statement SelectLaunchers()
{
    return SelectAll(Table::An);
}

Statement LauncherById(int buttonNumber)
{
    return make(Table::An, QStringLiteral("Select * from %1 where IDME=?"), {buttonNumber});
}

Statement SelectSchemes()
{
    return SelectAll(Table::Tx);
}

Statement SchemeById(int schemeId)
{
    return make(Table::Tx, QStringLiteral("Select * from %1 where IDME=?"), {schemeId});
}

Statement DeleteScheme(int schemeId)
{
    return make(Table::Tx, QStringLiteral("Delete from %1 where IDME=?"), {schemeId});
}

Statement GoalsBetween(Table goalTable, const QString& first, const QString& last)
{
    return make(goalTable, QStringLiteral("Select * from %1 where ming>=? and ming<=? order by ming"), {first, last});
}

} // namespace jotrak::stmt
