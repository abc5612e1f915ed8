#include "data/item_store.h"

#include "data/record_access.h"

namespace jotrak {

namespace {

const QString kId = QStringLiteral("IDME");
const QString kGoal = QStringLiteral("ShangId");
const QString kContent = QStringLiteral("nr");
const QString kNote = QStringLiteral("wcqk");
const QString kDone = QStringLiteral("IsOk");

Statement ItemsStatement(Table goalTable, int goalId, ItemFilter filter)
{
    switch (filter) {
    case ItemFilter::Done: return stmt::DoneItemsOfGoal(goalTable, goalId);
    case ItemFilter::Open: return stmt::OpenItemsOfGoal(goalTable, goalId);
    case ItemFilter::All: break;
    }
    return stmt::ItemsOfGoal(goalTable, goalId);
}

} // namespace

std::vector<WorkItem> ListWorkItems(ConnectionHolder& connection, Table goalTable, int goalId, ItemFilter filter)
{
    std::vector<WorkItem> items;
    RecordsetHolder rs;
    OpenRecordset(rs, ItemsStatement(goalTable, goalId, filter), connection);
    items.reserve(static_cast<std::size_t>(rs.rowCount()));
    for (; !IsAtEnd(rs); MoveToNext(rs))
        items.push_back({GetFieldValue(rs, kId).toInt(), TextFromValue(GetFieldValue(rs, kContent)),
                         TextFromValue(GetFieldValue(rs, kNote)), GetFieldValue(rs, kDone).toInteger() != 0});
    return items;
}

int AppendWorkItem(ConnectionHolder& connection, Table goalTable, int goalId, const QString& content)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::ForAppending(ItemTableOf(goalTable)), connection);
    AddNewRow(rs);
    SetFieldValue(rs, kGoal, Value(goalId));
    SetFieldValue(rs, kContent, Value(content));
    const int id = GetFieldValue(rs, kId).toInt();
    StoreRow(rs);
    return id;
}

bool WorkItemExists(ConnectionHolder& connection, Table goalTable, int itemId)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::ItemById(ItemTableOf(goalTable), itemId), connection);
    return !IsAtEnd(rs);
}

bool ChangeWorkItem(ConnectionHolder& connection, Table goalTable, int itemId, const QString& content,
                    const QString& note, bool done)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::ItemById(ItemTableOf(goalTable), itemId), connection);
    if (IsAtEnd(rs))
        return false;
    SetFieldValue(rs, kContent, Value(content));
    SetFieldValue(rs, kNote, Value(note));
    SetFieldValue(rs, kDone, Value(done ? 1 : 0));
    StoreRow(rs);
    return true;
}

void RemoveWorkItem(ConnectionHolder& connection, Table goalTable, int itemId)
{
    ExecuteStatement(connection, stmt::DeleteItem(ItemTableOf(goalTable), itemId));
}

} // namespace jotrak
