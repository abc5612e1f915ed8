#pragma once

#include "data/keys.h"

#include <QTableView>

namespace jotrak {

class WorkItemModel;
class WorkLog;

// The work-item list of the main window ("ItemList", identifier 119): the
// items of one goal, the columns shown from the right (ID, 工作内容, 完成情况,
// 已完成), whole rows selected one at a time. The row acted on is the selected
// one, found by its item's id; a double click changes it as 修  改 does.
class WorkItemView : public QTableView {
    Q_OBJECT
public:
    WorkItemView(QWidget* window, WorkLog& log, const QFont& textFont);

    WorkItemModel& items() const { return *model_; }
    // Lists the items of the goal named key (commands 112, 115, 118); a key
    // with no goal leaves the list empty and no goal listed.
    void list(PeriodKind kind, const QString& key);
    void addItem();    // command 120
    void editItem();   // command 121
    void deleteItem(); // command 122
    // Selects the listed item and scrolls to it; false when the list does not hold it.
    bool markItem(int itemId);
    // The id of the selected item; -1 when none.
    int markedItem() const;

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void reportItemGone();
    void fitColumnsToFont();

    WorkLog& log_;
    WorkItemModel* model_;
};

} // namespace jotrak
