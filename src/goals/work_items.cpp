#include "goals/work_items.h"

#include "goals/add_item_dialog.h"
#include "goals/edit_item_dialog.h"
#include "goals/goal_store.h"
#include "goals/item_store.h"
#include "shell/app_context.h"
#include "shell/message_box.h"

#include <QLineEdit>
#include <QTableWidget>

namespace jotrak {

namespace {

// Column indexes of ItemList.
enum ItemColumn { kDoneColumn = 0, kNoteColumn = 1, kContentColumn = 2, kNumberColumn = 3, kIdColumn = 4 };

const QString& NotDoneText()
{
    static const QString text = QString::fromUtf8("未完成");
    return text;
}

QString StateText(bool done)
{
    return done ? QStringLiteral("OK") : NotDoneText();
}

// The goal table of the listed kind: Nian, Yue or Ri.
Table CurrentGoalTable()
{
    return GoalTableOf(PeriodKindFromInt(App().CurrentKind).value_or(PeriodKind::Day));
}

// Every cell is plain text the user cannot edit in place.
QTableWidgetItem* Cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    return item;
}

void SetCell(QTableWidget* list, int row, int column, const QString& text)
{
    if (QTableWidgetItem* item = list->item(row, column))
        item->setText(text);
    else
        list->setItem(row, column, Cell(text));
}

QString CellText(const QTableWidget* list, int row, int column)
{
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString();
}

void FillRow(QTableWidget* list, int row, const WorkItem& item)
{
    list->setItem(row, kDoneColumn, Cell(StateText(item.done)));
    list->setItem(row, kNoteColumn, Cell(item.note));
    list->setItem(row, kContentColumn, Cell(item.content));
    list->setItem(row, kNumberColumn, Cell(QString::number(row + 1)));
    list->setItem(row, kIdColumn, Cell(QString::number(item.id)));
}

// The row at the selection mark, -1 when none.
int MarkedRow(const QTableWidget* list)
{
    const int row = list->currentRow();
    return row >= 0 && row < list->rowCount() ? row : -1;
}

void ReportItemGone()
{
    ShowMessage(App().mainWindow, QString::fromUtf8("该工作内容已不存在(可能已被删除),请重新查看细项"));
}

// Keeps the list from repainting while many rows go in.
class PaintPause {
public:
    explicit PaintPause(QWidget* widget) : widget_(widget), wasEnabled_(widget->updatesEnabled())
    {
        widget_->setUpdatesEnabled(false);
    }
    ~PaintPause() { widget_->setUpdatesEnabled(wasEnabled_); }
    PaintPause(const PaintPause&) = delete;
    PaintPause& operator=(const PaintPause&) = delete;

private:
    QWidget* widget_;
    bool wasEnabled_;
};

} // namespace

void ShowItemList()
{
    AppContext& app = App();
    if (app.WebPaneShown != 1)
        return;
    if (app.WebPane)
        app.WebPane->hide();
    if (app.ItemList)
        app.ItemList->show();
    app.WebPaneShown = 0;
}

void ViewItems(QLineEdit* keyEdit, Table goalTable)
{
    AppContext& app = App();
    QTableWidget* list = app.ItemList;
    ShowItemList();
    list->setRowCount(0);
    // Forget the goal listed before first: when the lookup finds nothing or
    // fails, nothing can be added under a goal of another kind.
    app.CurrentGoalId = -1;

    const std::optional<int> goalId = FindGoalId(app.connection, goalTable, keyEdit->text());
    if (!goalId)
        return;
    app.CurrentGoalId = *goalId;
    const std::vector<WorkItem> items = ListWorkItems(app.connection, goalTable, *goalId);

    PaintPause pause(list);
    const bool sorting = list->isSortingEnabled();
    list->setSortingEnabled(false);
    list->setRowCount(static_cast<int>(items.size()));
    for (int n = 0; n < list->rowCount(); ++n)
        FillRow(list, n, items[static_cast<std::size_t>(n)]);
    list->setSortingEnabled(sorting);
}

void AddItem()
{
    AppContext& app = App();
    ShowItemList();
    if (app.CurrentGoalId == -1) {
        ShowMessage(app.mainWindow, QString::fromUtf8("请先选择要查看年/月/日等的细项"));
        return;
    }

    AddItemDialogData data;
    {
        AddItemDialog dialog(app.mainWindow, data);
        if (dialog.exec() != 1)
            return;
    }

    const int id = AppendWorkItem(app.connection, CurrentGoalTable(), app.CurrentGoalId, data.content);

    QTableWidget* list = app.ItemList;
    const int k = list->rowCount();
    list->insertRow(k);
    SetCell(list, k, kDoneColumn, NotDoneText());
    SetCell(list, k, kNoteColumn, QString());
    SetCell(list, k, kContentColumn, data.content);
    SetCell(list, k, kNumberColumn, QString::number(k + 1));
    SetCell(list, k, kIdColumn, QString::number(id));
}

// Change and delete both start here: the list comes to the front, then the
// marked row is the one acted on (-1 when none is marked).
static int ListedRowToActOn()
{
    ShowItemList();
    return MarkedRow(App().ItemList);
}

void EditItem()
{
    AppContext& app = App();
    QTableWidget* list = app.ItemList;
    const int row = ListedRowToActOn();
    if (row < 0)
        return;

    const int id = LeadingNumber(CellText(list, row, kIdColumn));
    const Table goalTable = CurrentGoalTable();
    // an item deleted meanwhile (say from a second window on the same file)
    // is reported before the user types anything into the dialog
    if (!WorkItemExists(app.connection, goalTable, id)) {
        ReportItemGone();
        return;
    }

    EditItemDialogData data;
    data.content = CellText(list, row, kContentColumn);
    data.note = CellText(list, row, kNoteColumn);
    data.done = CellText(list, row, kDoneColumn) != NotDoneText() ? 1 : 0;
    {
        EditItemDialog dialog(app.mainWindow, data);
        if (dialog.exec() != 1)
            return;
    }

    // the database first: the row shows the new texts only once they are stored
    if (!ChangeWorkItem(app.connection, goalTable, id, data.content, data.note, data.done != 0)) {
        ReportItemGone();
        return;
    }

    SetCell(list, row, kContentColumn, data.content);
    SetCell(list, row, kNoteColumn, data.note);
    SetCell(list, row, kDoneColumn, StateText(data.done != 0));
}

void DeleteItem()
{
    AppContext& app = App();
    QTableWidget* list = app.ItemList;
    const int row = ListedRowToActOn();
    if (row < 0)
        return;
    if (ShowMessage(app.mainWindow, QString::fromUtf8("是否确定删除!"), QString::fromUtf8("删除确认"),
                    MessageButtons::OkCancel) != kIdOk)
        return;

    const int id = LeadingNumber(CellText(list, row, kIdColumn));
    RemoveWorkItem(app.connection, CurrentGoalTable(), id);
    list->removeRow(row);
    // no row is marked after a delete: the next change or delete waits for a click
    list->setCurrentItem(nullptr);
}

bool MarkListedItem(int itemId)
{
    QTableWidget* list = App().ItemList;
    const QString id = QString::number(itemId);
    for (int row = 0; row < list->rowCount(); ++row) {
        if (CellText(list, row, kIdColumn) == id) {
            list->setCurrentCell(row, kContentColumn);
            list->scrollToItem(list->item(row, kContentColumn));
            return true;
        }
    }
    return false;
}

} // namespace jotrak
