#include "sync/synced_tables.h"

namespace jotrak {

namespace {

SyncedTable Goals(Table table)
{
    return {table, SyncedTable::Identity::GoalKey, {QStringLiteral("nr")}, {QStringLiteral("nr")}, std::nullopt};
}

SyncedTable Items(Table table, Table goalTable)
{
    return {table,
            SyncedTable::Identity::Uid,
            {QStringLiteral("nr"), QStringLiteral("wcqk"), QStringLiteral("IsOk"), QStringLiteral("CarriedTo")},
            {QStringLiteral("nr"), QStringLiteral("wcqk")},
            goalTable};
}

} // namespace

const std::vector<SyncedTable>& SyncedTables()
{
    static const std::vector<SyncedTable> tables = {
        Goals(Table::Nian),
        Goals(Table::Yue),
        Goals(Table::Ri),
        Items(Table::NianNext, Table::Nian),
        Items(Table::YueNext, Table::Yue),
        Items(Table::RiNext, Table::Ri),
        {Table::Tx,
         SyncedTable::Identity::Uid,
         {QStringLiteral("ming"), QStringLiteral("nr"), QStringLiteral("shijian"), QStringLiteral("lifa"),
          QStringLiteral("tiqian")},
         {QStringLiteral("nr")},
         std::nullopt},
        {Table::An, SyncedTable::Identity::Number, {QStringLiteral("ming"), QStringLiteral("wj")}, {}, std::nullopt},
    };
    return tables;
}

const SyncedTable* FindSyncedTable(const QString& name)
{
    for (const SyncedTable& t : SyncedTables())
        if (TableName(t.table) == name)
            return &t;
    return nullptr;
}

const SyncedTable& SyncedTableOf(Table table)
{
    for (const SyncedTable& t : SyncedTables())
        if (t.table == table)
            return t;
    return SyncedTables().front();
}

} // namespace jotrak
