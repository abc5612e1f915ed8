#include "data/goal_store.h"

#include "data/record_access.h"

namespace jotrak {

namespace {

const QString kId = QStringLiteral("IDME");
const QString kKey = QStringLiteral("ming");
const QString kText = QStringLiteral("nr");

} // namespace

std::optional<int> FindGoalId(ConnectionHolder& connection, Table goalTable, const QString& key)
{
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalByKey(goalTable, key), connection);
    if (IsAtEnd(goal))
        return std::nullopt;
    return GetFieldValue(goal, kId).toInt();
}

std::optional<QString> ReadGoalText(ConnectionHolder& connection, Table goalTable, const QString& key)
{
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalByKey(goalTable, key), connection);
    if (IsAtEnd(goal))
        return std::nullopt;
    return TextFromValue(GetFieldValue(goal, kText));
}

bool StoreGoalText(ConnectionHolder& connection, Table goalTable, const QString& key, const QString& text)
{
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalByKey(goalTable, key), connection);
    if (IsAtEnd(goal))
        return false;
    SetFieldValue(goal, kText, Value(text));
    StoreRow(goal);
    return true;
}

GoalStoreOutcome StoreGoalTextIfUnchanged(ConnectionHolder& connection, Table goalTable, const QString& key,
                                          const QString& expected, const QString& text)
{
    Transaction transaction(connection);
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalByKey(goalTable, key), connection);
    if (IsAtEnd(goal))
        return {GoalStoreOutcome::NoSuchGoal, {}};
    const QString stored = TextFromValue(GetFieldValue(goal, kText));
    if (stored != expected && stored != text)
        return {GoalStoreOutcome::ChangedMeanwhile, stored};
    SetFieldValue(goal, kText, Value(text));
    StoreRow(goal);
    transaction.commit();
    return {};
}

std::vector<Goal> GoalsBetween(ConnectionHolder& connection, Table goalTable, const QString& first, const QString& last)
{
    std::vector<Goal> goals;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalsBetween(goalTable, first, last), connection);
    goals.reserve(static_cast<std::size_t>(rs.rowCount()));
    for (; !IsAtEnd(rs); MoveToNext(rs))
        goals.push_back({GetFieldValue(rs, kId).toInt(), TextFromValue(GetFieldValue(rs, kKey)),
                         TextFromValue(GetFieldValue(rs, kText))});
    return goals;
}

} // namespace jotrak
