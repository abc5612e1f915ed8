#pragma once

#include "data/carry_store.h"
#include "data/goal_store.h"
#include "data/item_store.h"
#include "data/keys.h"
#include "data/record_access.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace jotrak {

// What changed in the file by another way than the log's own calls: another
// computer's changes, applied on a connection of their own.
struct OutsideChanges {
    std::set<std::pair<PeriodKind, QString>> goals;
    // kinds some of whose goals' items changed
    std::set<PeriodKind> itemKinds;
    bool schemes = false;
    bool launcher = false;

    bool empty() const { return goals.empty() && itemKinds.empty() && !schemes && !launcher; }
    void add(const OutsideChanges& more);
};

// The one model of the log that every window shares: the open database and the
// operations on period goals and their work items. Each change made through it
// is announced, so every view (the period panels, the item list, a dialog)
// shows it the same way, whoever made it: a button, a dialog, a search hit, a
// restore. No widget; every call raises DatabaseError when the file fails.
class WorkLog : public QObject {
    Q_OBJECT
public:
    explicit WorkLog(QObject* parent = nullptr);
    ~WorkLog() override;
    WorkLog(const WorkLog&) = delete;
    WorkLog& operator=(const WorkLog&) = delete;

    ConnectionHolder& connection() { return connection_; }
    // Runs setup on the log's connection now and on each one the log opens from
    // now on (a reopen, a long text stored aside); none when empty. Sync records
    // the log's changes this way.
    void setConnectionSetup(std::function<void(ConnectionHolder&)> setup);
    // Tells every view of changes made to the file elsewhere.
    void announce(const OutsideChanges& changes);
    // Opens path (creating it when missing) as the log; beforeUpgrade as OpenDatabase's.
    void open(const QString& path, const std::function<void()>& beforeUpgrade = {});
    // Takes a connection opened elsewhere (on a thread, while the window was
    // being made) as the log, as open would have left it.
    void adopt(ConnectionHolder&& opened);
    // Opens path afresh in place of the file open now (a restore put another
    // file there): every view reads the log again.
    void reopen(const QString& path);

    // The goal text of a period; none when the log holds no such key.
    std::optional<QString> goalText(PeriodKind kind, const QString& key);
    // Stores the goal text of a period; false, with nothing written, when the
    // log holds no such key.
    bool storeGoalText(PeriodKind kind, const QString& key, const QString& text);
    // Stores it only while the log still holds expected (goal_store.h).
    GoalStoreOutcome storeGoalText(PeriodKind kind, const QString& key, const QString& expected, const QString& text);
    std::optional<int> goalId(PeriodKind kind, const QString& key);

    std::vector<WorkItem> items(PeriodKind kind, int goalId);
    // Appends a not-done item under the goal; returns its id.
    int addItem(PeriodKind kind, int goalId, const QString& content);
    bool itemExists(PeriodKind kind, int itemId);
    // False, with nothing written, when the item is gone.
    bool changeItem(PeriodKind kind, int goalId, int itemId, const QString& content, const QString& note, bool done);
    void removeItem(PeriodKind kind, int goalId, int itemId);
    // Carries the open items (ids of kind's item table) to the goal named
    // destinationKey (结转未完成), each original kept and marked; in one
    // transaction. Returns how many went, how many were skipped, or why none could.
    CarryOutcome carryItems(PeriodKind kind, const std::vector<int>& itemIds, const QString& destinationKey);

signals:
    void goalChanged(jotrak::PeriodKind kind, const QString& key);
    // One item of a goal was added, changed or removed.
    void itemAdded(jotrak::PeriodKind kind, int goalId, const jotrak::WorkItem& item);
    void itemChanged(jotrak::PeriodKind kind, int goalId, const jotrak::WorkItem& item);
    void itemRemoved(jotrak::PeriodKind kind, int goalId, int itemId);
    // Items of any number of goals of a kind changed at once (items carried forward).
    void itemsOfKindChanged(jotrak::PeriodKind kind);
    // Everything may have changed: a restore, another file.
    void reloaded();
    // The reminder schemes, or the launcher buttons, changed elsewhere.
    void schemesChanged();
    void launcherChanged();

private:
    // Runs work on the log's connection, or, for a long text, aside (work_log.cpp).
    template <class Result> Result store(const QString& text, const std::function<Result(ConnectionHolder&)>& work);

    ConnectionHolder connection_;
    std::function<void(ConnectionHolder&)> setup_;
};

} // namespace jotrak
