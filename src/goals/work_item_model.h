#pragma once

#include "data/item_store.h"
#include "data/keys.h"

#include <QAbstractTableModel>

#include <map>
#include <optional>
#include <vector>

namespace jotrak {

class WorkLog;

// The items of one goal as a table: 已完成, 完成情况, 工作内容 and the number
// shown (ID); an item carried forward shows where it went (已结转 → 20261208)
// after its note. Each row knows its item's id; the list follows the log by
// itself: an item added, changed or removed anywhere shows here (the rows that
// stay keep their numbers, a new row takes the next one), and a reloaded log is
// listed afresh.
class WorkItemModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kDoneColumn = 0, kNoteColumn = 1, kContentColumn = 2, kNumberColumn = 3, kColumnCount = 4 };

    explicit WorkItemModel(WorkLog& log, QObject* parent = nullptr);

    // Lists the items of the goal named key. A key with no goal (or a failed
    // lookup, which raises DatabaseError) leaves the list empty and no goal listed.
    void list(PeriodKind kind, const QString& key);
    PeriodKind kind() const { return kind_; }
    const QString& key() const { return key_; }
    std::optional<int> goalId() const { return goalId_; }

    // The id of the item in row; -1 outside the list.
    int itemId(int row) const;
    // The row of the item; -1 when the list does not hold it.
    int rowOf(int itemId) const;
    // The item in row; row must be inside the list.
    const WorkItem& item(int row) const { return rows_.at(static_cast<std::size_t>(row)).item; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    struct Row {
        WorkItem item;
        int number = 0;
    };
    bool listing(PeriodKind kind, int goalId) const;
    void follow(PeriodKind kind);
    void add(PeriodKind kind, int goalId, const WorkItem& item);
    void change(PeriodKind kind, int goalId, const WorkItem& item);
    void remove(PeriodKind kind, int goalId, int itemId);
    void relist();

    WorkLog& log_;
    PeriodKind kind_ = PeriodKind::Day;
    QString key_;
    std::optional<int> goalId_;
    std::vector<Row> rows_;
    std::map<int, QString> carried_; // item id -> the key its copy went to
};

} // namespace jotrak
