#include "goals/work_item_view.h"

#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "goals/work_item_model.h"
#include "shell/command_guard.h"
#include "shell/fixed_layout.h"
#include "shell/message_box.h"
#include "shell/work_log.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QMouseEvent>

#include <algorithm>

namespace jotrak {

WorkItemView::WorkItemView(QWidget* window, WorkLog& log, const QFont& textFont)
    : QTableView(window), log_(log), model_(new WorkItemModel(log, this))
{
    setModel(model_);
    QHeaderView* header = horizontalHeader();
    // each moved to display position 0: the screen shows them from the right
    for (int column : {WorkItemModel::kDoneColumn, WorkItemModel::kNoteColumn, WorkItemModel::kContentColumn,
                       WorkItemModel::kNumberColumn})
        header->moveSection(header->visualIndex(column), 0);
    header->setStretchLastSection(false);
    // 工作内容 takes the width the others leave: a vertical scroll bar narrows it
    // instead of pushing 已完成 out of sight behind a horizontal one
    header->setSectionResizeMode(WorkItemModel::kContentColumn, QHeaderView::Stretch);
    header->setHighlightSections(false);
    header->setFont(window->font());
    verticalHeader()->hide();
    setShowGrid(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // the selection stays marked while another control has the focus
    QPalette colours = palette();
    colours.setBrush(QPalette::Inactive, QPalette::Highlight, colours.brush(QPalette::Active, QPalette::Highlight));
    colours.setBrush(QPalette::Inactive, QPalette::HighlightedText,
                     colours.brush(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);
    setProperty(kTextFontProperty, true);
    setFont(textFont);
    fitColumnsToFont();
}

// 50, 100 and 30 pixels in the font of the window; a larger text font widens
// 已完成, 完成情况 and ID so that their words stay whole, and 工作内容 takes the rest.
void WorkItemView::fitColumnsToFont()
{
    const QFontMetrics metrics(font());
    const auto wide = [&](const char* sample, int least) {
        return std::max(least, metrics.horizontalAdvance(QString::fromUtf8(sample)) + 12);
    };
    setColumnWidth(WorkItemModel::kDoneColumn, wide("已结转", 50));
    setColumnWidth(WorkItemModel::kNoteColumn, wide("完成情况完成", 100));
    setColumnWidth(WorkItemModel::kNumberColumn, wide("999", 30));
}

void WorkItemView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitColumnsToFont();
}

void WorkItemView::list(PeriodKind kind, const QString& key)
{
    model_->list(kind, key);
}

int WorkItemView::markedItem() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? model_->itemId(current.row()) : -1;
}

bool WorkItemView::markItem(int itemId)
{
    const int row = model_->rowOf(itemId);
    if (row < 0)
        return false;
    const QModelIndex content = model_->index(row, WorkItemModel::kContentColumn);
    setCurrentIndex(content);
    scrollTo(content);
    return true;
}

void WorkItemView::reportItemGone()
{
    ShowMessage(window(), QStringLiteral("该工作内容已不存在(可能已被删除),请重新查看细项"));
}

void WorkItemView::addItem()
{
    const std::optional<int> goal = model_->goalId();
    if (!goal) {
        ShowMessage(window(), QStringLiteral("请先选择要查看年/月/日等的细项"));
        return;
    }
    AddItemDialogData data;
    {
        AddItemDialog dialog(window(), data);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    log_.addItem(model_->kind(), *goal, data.content);
}

void WorkItemView::editItem()
{
    const int id = markedItem();
    const std::optional<int> goal = model_->goalId();
    if (id < 0 || !goal)
        return;
    // an item deleted meanwhile (say from a second window on the same file)
    // is reported before the user types anything into the dialog
    if (!log_.itemExists(model_->kind(), id)) {
        reportItemGone();
        return;
    }
    const WorkItem& item = model_->item(model_->rowOf(id));
    EditItemDialogData data;
    data.content = item.content;
    data.note = item.note;
    data.done = item.done;
    {
        EditItemDialog dialog(window(), data);
        if (dialog.exec() != QDialog::Accepted)
            return;
    }
    // the database first: the row shows the new texts only once they are stored
    if (!log_.changeItem(model_->kind(), *goal, id, data.content, data.note, data.done))
        reportItemGone();
}

void WorkItemView::deleteItem()
{
    const int id = markedItem();
    const std::optional<int> goal = model_->goalId();
    if (id < 0 || !goal)
        return;
    if (ShowMessage(window(), QStringLiteral("是否确定删除!"), QStringLiteral("删除确认"), MessageButtons::OkCancel) !=
        kIdOk)
        return;
    log_.removeItem(model_->kind(), *goal, id);
    // no row is marked after a delete: the next change or delete waits for a click
    setCurrentIndex({});
}

void WorkItemView::mouseDoubleClickEvent(QMouseEvent* event)
{
    QTableView::mouseDoubleClickEvent(event);
    RunGuarded(window(), [this] { editItem(); });
}

} // namespace jotrak
