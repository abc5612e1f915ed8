#include "data/carry_store.h"

#include "data/carried_marks.h"
#include "data/record_access.h"
#include "data/goal_store.h"

namespace jotrak {

namespace {

// {goals}, {items} and {carriedTo} name the goal table, its item table and the mark's column.
Statement Make(Table table, QString sql, std::vector<Value> params)
{
    sql.replace(QStringLiteral("{goals}"), TableName(table))
        .replace(QStringLiteral("{items}"), TableName(ItemTableOf(table)))
        .replace(QStringLiteral("{carriedTo}"), kCarriedToColumn);
    return {sql, std::move(params), ItemTableOf(table)};
}

// (IDME, key, content, note) of the open items under a range of goals
Statement OpenItemsStatement(Table goalTable, const QString& firstKey, const QString& lastKey)
{
    return Make(
        goalTable,
        QStringLiteral("Select i.IDME, g.ming, i.nr, i.wcqk from {goals} g join {items} i "
                       "on i.ShangId = g.IDME "
                       "where g.ming >= ? and g.ming <= ? and (i.IsOk is null or i.IsOk = 0) and i.{carriedTo} is null "
                       "order by g.ming, g.IDME, i.IDME"),
        {firstKey, lastKey});
}

// (done, carried to, content, note, key of its goal) of one item
Statement ItemToCarry(Table goalTable, int itemId)
{
    return Make(
        goalTable,
        QStringLiteral(
            "Select i.IsOk, i.{carriedTo}, i.nr, i.wcqk, g.ming from {items} i join {goals} g on g.IDME = i.ShangId "
            "where i.IDME = ?"),
        {itemId});
}

Statement InsertCopy(Table goalTable, int goalId, const Value& content, const Value& note)
{
    return Make(goalTable, QStringLiteral("Insert into {items} (ShangId, nr, wcqk, IsOk) values (?, ?, ?, 0)"),
                {goalId, content, note});
}

Statement MarkCarried(Table goalTable, int itemId, const QString& destinationKey)
{
    return Make(goalTable, QStringLiteral("Update {items} set {carriedTo} = ? where IDME = ?"),
                {destinationKey, itemId});
}

} // namespace

std::vector<OpenItem> OpenItemsBetween(ConnectionHolder& connection, Table goalTable, const QString& firstKey,
                                       const QString& lastKey)
{
    std::vector<OpenItem> items;
    if (!HasCarriedMarks(connection))
        return items;
    ReadRows(connection, OpenItemsStatement(goalTable, firstKey, lastKey), [&](const std::vector<Value>& row) {
        items.push_back({row[0].toInt(), TextFromValue(row[1]), TextFromValue(row[2]), TextFromValue(row[3])});
        return true;
    });
    return items;
}

QString CarryDestinationKey(Table goalTable, QDate today)
{
    switch (goalTable) {
    case Table::Nian: return QString::number(today.year());
    case Table::Yue: return FormatMonthKey(today.year(), today.month());
    default: break;
    }
    return FormatDayKey(today.year(), today.month(), today.day());
}

CarryOutcome CarryItemsForward(ConnectionHolder& connection, Table goalTable, const std::vector<int>& itemIds,
                               const QString& destinationKey)
{
    CarryOutcome outcome;
    if (!HasCarriedMarks(connection)) {
        outcome.problem = QString::fromUtf8("这个数据文件是旧版本且不能写入,无法结转未完成事项");
        return outcome;
    }
    Transaction transaction(connection);
    const std::optional<int> destination = FindGoalId(connection, goalTable, destinationKey);
    if (!destination) {
        outcome.problem = QString::fromUtf8("数据库中没有 %1 的目标,无法结转").arg(destinationKey);
        return outcome;
    }
    for (const int itemId : itemIds) {
        std::optional<std::vector<Value>> item;
        ReadRows(connection, ItemToCarry(goalTable, itemId), [&](const std::vector<Value>& row) {
            item = row;
            return false;
        });
        // a text key compares as its date: only what lies before the destination moves on
        if (!item || (*item)[0].toInteger() != 0 || !(*item)[1].isNull() ||
            TextFromValue((*item)[4]) >= destinationKey) {
            ++outcome.skipped;
            continue;
        }
        ExecuteStatement(connection, InsertCopy(goalTable, *destination, (*item)[2], (*item)[3]));
        ExecuteStatement(connection, MarkCarried(goalTable, itemId, destinationKey));
        ++outcome.carried;
    }
    transaction.commit();
    return outcome;
}

std::map<int, QString> CarriedItemsOfGoal(ConnectionHolder& connection, Table goalTable, int goalId)
{
    std::map<int, QString> marks;
    if (!HasCarriedMarks(connection))
        return marks;
    ReadRows(connection,
             Make(goalTable,
                  QStringLiteral("Select IDME, {carriedTo} from {items} "
                                 "where ShangId = ? and {carriedTo} is not null"),
                  {goalId}),
             [&](const std::vector<Value>& row) {
                 marks[row[0].toInt()] = TextFromValue(row[1]);
                 return true;
             });
    return marks;
}

} // namespace jotrak
