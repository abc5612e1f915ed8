#include "goals/work_item_model.h"

#include "data/carry_store.h"
#include "shell/work_log.h"

#include <algorithm>
#include <unordered_map>

namespace jotrak {

WorkItemModel::WorkItemModel(WorkLog& log, QObject* parent) : QAbstractTableModel(parent), log_(log)
{
    connect(&log_, &WorkLog::itemAdded, this, &WorkItemModel::add);
    connect(&log_, &WorkLog::itemChanged, this, &WorkItemModel::change);
    connect(&log_, &WorkLog::itemRemoved, this, &WorkItemModel::remove);
    connect(&log_, &WorkLog::itemsOfKindChanged, this, &WorkItemModel::follow);
    connect(&log_, &WorkLog::reloaded, this, &WorkItemModel::relist);
}

namespace {

QString StateText(bool done)
{
    return done ? QStringLiteral("OK") : QStringLiteral("未完成");
}

} // namespace

void WorkItemModel::list(PeriodKind kind, const QString& key)
{
    beginResetModel();
    kind_ = kind;
    key_ = key;
    // the goal listed before is forgotten first: when the lookup finds nothing
    // or fails, nothing can be added under a goal of another kind
    goalId_.reset();
    rows_.clear();
    endResetModel();

    const std::optional<int> goal = log_.goalId(kind, key);
    if (!goal)
        return;
    std::vector<WorkItem> items = log_.items(kind, *goal);
    std::map<int, QString> carried = CarriedItemsOfGoal(log_.connection(), GoalTableOf(kind), *goal);
    beginResetModel();
    goalId_ = goal;
    carried_ = std::move(carried);
    rows_.reserve(items.size());
    for (std::size_t n = 0; n < items.size(); ++n)
        rows_.push_back({std::move(items[n]), static_cast<int>(n) + 1});
    endResetModel();
}

void WorkItemModel::relist()
{
    if (goalId_)
        list(kind_, key_);
}

bool WorkItemModel::listing(PeriodKind kind, int goalId) const
{
    return goalId_ && kind == kind_ && goalId == *goalId_;
}

// A new row takes the next number: after a delete two rows may share one, as
// the list has always numbered them.
void WorkItemModel::add(PeriodKind kind, int goalId, const WorkItem& item)
{
    if (!listing(kind, goalId) || rowOf(item.id) >= 0)
        return;
    const int row = rowCount();
    beginInsertRows({}, row, row);
    rows_.push_back({item, row + 1});
    endInsertRows();
}

void WorkItemModel::change(PeriodKind kind, int goalId, const WorkItem& item)
{
    const int row = listing(kind, goalId) ? rowOf(item.id) : -1;
    if (row < 0)
        return;
    rows_[static_cast<std::size_t>(row)].item = item;
    emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
}

void WorkItemModel::remove(PeriodKind kind, int goalId, int itemId)
{
    const int row = listing(kind, goalId) ? rowOf(itemId) : -1;
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

// Rows that stay keep their place, number and selection; rows gone are
// removed, new ones appended with the next number, as the list grew by hand.
void WorkItemModel::follow(PeriodKind kind)
{
    if (!goalId_ || kind != kind_)
        return;
    const int goalId = *goalId_;
    std::vector<WorkItem> items = log_.items(kind, goalId);
    std::map<int, QString> carried = CarriedItemsOfGoal(log_.connection(), GoalTableOf(kind), goalId);
    if (carried != carried_) {
        carried_ = std::move(carried);
        if (rowCount() > 0)
            emit dataChanged(index(0, kNoteColumn), index(rowCount() - 1, kNoteColumn));
    }
    std::unordered_map<int, std::size_t> fresh;
    for (std::size_t n = 0; n < items.size(); ++n)
        fresh.emplace(items[n].id, n);

    for (int row = rowCount() - 1; row >= 0; --row) {
        if (fresh.count(rows_[static_cast<std::size_t>(row)].item.id) == 0) {
            beginRemoveRows({}, row, row);
            rows_.erase(rows_.begin() + row);
            endRemoveRows();
        }
    }
    std::unordered_map<int, int> listed;
    for (int row = 0; row < rowCount(); ++row) {
        Row& shown = rows_[static_cast<std::size_t>(row)];
        listed.emplace(shown.item.id, row);
        const WorkItem& now = items[fresh.at(shown.item.id)];
        if (now.content != shown.item.content || now.note != shown.item.note || now.done != shown.item.done) {
            shown.item = now;
            emit dataChanged(index(row, 0), index(row, kColumnCount - 1));
        }
    }
    for (WorkItem& item : items) {
        if (listed.count(item.id) != 0)
            continue;
        const int row = rowCount();
        beginInsertRows({}, row, row);
        rows_.push_back({std::move(item), row + 1});
        endInsertRows();
    }
}

int WorkItemModel::itemId(int row) const
{
    return row >= 0 && row < rowCount() ? rows_[static_cast<std::size_t>(row)].item.id : -1;
}

int WorkItemModel::rowOf(int itemId) const
{
    const auto found =
        std::find_if(rows_.begin(), rows_.end(), [itemId](const Row& row) { return row.item.id == itemId; });
    return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

int WorkItemModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int WorkItemModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumnCount;
}

QVariant WorkItemModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    const Row& row = rows_[static_cast<std::size_t>(index.row())];
    const auto carried = carried_.find(row.item.id);
    // a carried item says where it went first: the column is narrow
    const QString note = carried == carried_.end() ? row.item.note
                         : row.item.note.isEmpty()
                             ? QStringLiteral("已结转 → %1").arg(carried->second)
                             : QStringLiteral("已结转 → %1  %2").arg(carried->second, row.item.note);
    if (role == Qt::ToolTipRole && index.column() == kNoteColumn && carried != carried_.end())
        return note;
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case kDoneColumn: return carried == carried_.end() ? StateText(row.item.done) : QStringLiteral("已结转");
    case kNoteColumn: return note;
    case kContentColumn: return row.item.content;
    case kNumberColumn: return QString::number(row.number);
    default: return {};
    }
}

QVariant WorkItemModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case kDoneColumn: return QStringLiteral("已完成");
    case kNoteColumn: return QStringLiteral("完成情况");
    case kContentColumn: return QStringLiteral("工作内容");
    case kNumberColumn: return QStringLiteral("ID");
    default: return {};
    }
}

} // namespace jotrak
