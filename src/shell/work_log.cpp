#include "shell/work_log.h"

#include "data/goal_store.h"

namespace jotrak {

WorkLog::WorkLog(QObject* parent) : QObject(parent)
{
    CreateConnection(connection_);
}

WorkLog::~WorkLog()
{
    CloseConnection(connection_);
}

void WorkLog::open(const QString& path, const std::function<void()>& beforeUpgrade)
{
    OpenDatabase(connection_, path, beforeUpgrade);
}

void WorkLog::reopen(const QString& path)
{
    OpenDatabase(connection_, path);
    emit reloaded();
}

std::optional<QString> WorkLog::goalText(PeriodKind kind, const QString& key)
{
    return ReadGoalText(connection_, GoalTableOf(kind), key);
}

bool WorkLog::storeGoalText(PeriodKind kind, const QString& key, const QString& text)
{
    if (!StoreGoalText(connection_, GoalTableOf(kind), key, text))
        return false;
    emit goalChanged(kind, key);
    return true;
}

GoalStoreOutcome WorkLog::storeGoalText(PeriodKind kind, const QString& key, const QString& expected,
                                        const QString& text)
{
    const GoalStoreOutcome outcome = StoreGoalTextIfUnchanged(connection_, GoalTableOf(kind), key, expected, text);
    if (outcome.result == GoalStoreOutcome::Stored)
        emit goalChanged(kind, key);
    return outcome;
}

std::optional<int> WorkLog::goalId(PeriodKind kind, const QString& key)
{
    return FindGoalId(connection_, GoalTableOf(kind), key);
}

std::vector<WorkItem> WorkLog::items(PeriodKind kind, int goalId)
{
    return ListWorkItems(connection_, GoalTableOf(kind), goalId);
}

int WorkLog::addItem(PeriodKind kind, int goalId, const QString& content)
{
    const int id = AppendWorkItem(connection_, GoalTableOf(kind), goalId, content);
    emit itemAdded(kind, goalId, WorkItem{id, content, {}, false});
    return id;
}

bool WorkLog::itemExists(PeriodKind kind, int itemId)
{
    return WorkItemExists(connection_, GoalTableOf(kind), itemId);
}

bool WorkLog::changeItem(PeriodKind kind, int goalId, int itemId, const QString& content, const QString& note,
                         bool done)
{
    if (!ChangeWorkItem(connection_, GoalTableOf(kind), itemId, content, note, done))
        return false;
    emit itemChanged(kind, goalId, WorkItem{itemId, content, note, done});
    return true;
}

CarryOutcome WorkLog::carryItems(PeriodKind kind, const std::vector<int>& itemIds, const QString& destinationKey)
{
    const CarryOutcome outcome = CarryItemsForward(connection_, GoalTableOf(kind), itemIds, destinationKey);
    if (outcome.carried > 0)
        emit itemsOfKindChanged(kind);
    return outcome;
}

void WorkLog::removeItem(PeriodKind kind, int goalId, int itemId)
{
    RemoveWorkItem(connection_, GoalTableOf(kind), itemId);
    emit itemRemoved(kind, goalId, itemId);
}

} // namespace jotrak
