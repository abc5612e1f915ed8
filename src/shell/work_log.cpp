#include "shell/work_log.h"

#include "data/goal_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QThread>

#include <exception>
#include <memory>

namespace jotrak {

WorkLog::WorkLog(QObject* parent) : QObject(parent)
{
    CreateConnection(connection_);
}

WorkLog::~WorkLog()
{
    CloseConnection(connection_);
}

void OutsideChanges::add(const OutsideChanges& more)
{
    goals.insert(more.goals.begin(), more.goals.end());
    itemKinds.insert(more.itemKinds.begin(), more.itemKinds.end());
    schemes = schemes || more.schemes;
    launcher = launcher || more.launcher;
}

void WorkLog::open(const QString& path, const std::function<void()>& beforeUpgrade)
{
    OpenDatabase(connection_, path, beforeUpgrade);
    if (setup_)
        setup_(connection_);
}

void WorkLog::adopt(ConnectionHolder&& opened)
{
    connection_ = std::move(opened);
    if (setup_)
        setup_(connection_);
}

void WorkLog::reopen(const QString& path)
{
    open(path);
    emit reloaded();
}

void WorkLog::setConnectionSetup(std::function<void(ConnectionHolder&)> setup)
{
    setup_ = std::move(setup);
    if (setup_ && connection_.isOpen())
        setup_(connection_);
    else if (!setup_)
        connection_.observer.reset();
}

void WorkLog::announce(const OutsideChanges& changes)
{
    for (const auto& [kind, key] : changes.goals)
        emit goalChanged(kind, key);
    for (PeriodKind kind : changes.itemKinds)
        emit itemsOfKindChanged(kind);
    if (changes.schemes)
        emit schemesChanged();
    if (changes.launcher)
        emit launcherChanged();
}

std::optional<QString> WorkLog::goalText(PeriodKind kind, const QString& key)
{
    return ReadGoalText(connection_, GoalTableOf(kind), key);
}

namespace {

// Past this many characters a goal is stored off the window's thread: indexing
// a text of 100 000 characters takes longer than a window may stand still.
constexpr qsizetype kLongText = 20'000;

// Runs store on a connection of its own on a thread of its own while the
// window keeps painting (what the user types waits for it); a DatabaseError
// comes back here.
template <class Result>
Result StoreAside(const QString& path, const std::function<void(ConnectionHolder&)>& setup,
                  const std::function<Result(ConnectionHolder&)>& store)
{
    Result result{};
    std::exception_ptr failure;
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            ConnectionHolder own;
            OpenDatabase(own, path);
            if (setup)
                setup(own);
            result = store(own);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop wait;
    QObject::connect(worker.get(), &QThread::finished, &wait, &QEventLoop::quit);
    worker->start();
    wait.exec(QEventLoop::ExcludeUserInputEvents);
    worker->wait();
    if (failure)
        std::rethrow_exception(failure);
    return result;
}

} // namespace

template <class Result> Result WorkLog::store(const QString& text, const std::function<Result(ConnectionHolder&)>& work)
{
    if (text.size() <= kLongText || !QCoreApplication::instance())
        return work(connection_);
    return StoreAside(QDir::fromNativeSeparators(connection_.path()), setup_, work);
}

bool WorkLog::storeGoalText(PeriodKind kind, const QString& key, const QString& text)
{
    const bool stored =
        store<bool>(text, [&](ConnectionHolder& on) { return StoreGoalText(on, GoalTableOf(kind), key, text); });
    if (!stored)
        return false;
    emit goalChanged(kind, key);
    return true;
}

GoalStoreOutcome WorkLog::storeGoalText(PeriodKind kind, const QString& key, const QString& expected,
                                        const QString& text)
{
    const GoalStoreOutcome outcome = store<GoalStoreOutcome>(text, [&](ConnectionHolder& on) {
        return StoreGoalTextIfUnchanged(on, GoalTableOf(kind), key, expected, text);
    });
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
