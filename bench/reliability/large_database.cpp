#include "large_database.h"

#include "data/keys.h"
#include "data/record_access.h"
#include "data/schema.h"
#include "data/search_index.h"
#include "data/seed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace jotrak::bench {

namespace {

void AddItems(RecordsetHolder& items, int goalId, int count, const QString& key)
{
    for (int i = 0; i < count; ++i) {
        AddNewRow(items);
        SetFieldValue(items, QStringLiteral("ShangId"), Value(goalId));
        SetFieldValue(items, QStringLiteral("nr"),
                      QString::fromUtf8("%1 第 %2 项:整理资料,联系客户并汇报进度").arg(key).arg(i + 1));
        if (i % 3 != 2)
            SetFieldValue(items, QStringLiteral("wcqk"), QString::fromUtf8("已完成大半,明天继续"));
        SetFieldValue(items, QStringLiteral("IsOk"), Value(i % 2));
        StoreRow(items);
    }
}

void FillGoals(ConnectionHolder& connection, Table goalTable, int itemsEach)
{
    RecordsetHolder goals;
    OpenRecordset(goals, stmt::SelectAll(goalTable), connection);
    RecordsetHolder items;
    OpenRecordset(items, stmt::ForAppending(ItemTableOf(goalTable)), connection);
    for (; !IsAtEnd(goals); MoveToNext(goals)) {
        const QString key = GetFieldValue(goals, QStringLiteral("ming")).toText();
        SetFieldValue(goals, QStringLiteral("nr"),
                      QString::fromUtf8("%1 的目标:完成计划内的工作,按时总结。\n重点:质量与进度。").arg(key));
        StoreRow(goals);
        AddItems(items, GetFieldValue(goals, QStringLiteral("IDME")).toInt(), itemsEach, key);
    }
}

void FillSchemes(ConnectionHolder& connection)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), connection);
    for (int i = 0; i < kSchemes; ++i) {
        AddNewRow(rs);
        const QString rule =
            i % 2 == 0 ? TwoDigitText(i % 28 + 1) : TwoDigitText(i % 12 + 1) + TwoDigitText(i % 28 + 1);
        SetFieldValue(rs, QStringLiteral("ming"), QString::fromUtf8("方案 %1").arg(i));
        SetFieldValue(rs, QStringLiteral("nr"), QString::fromUtf8("提醒:交报告、缴费、给家人打电话,第 %1 条").arg(i));
        SetFieldValue(rs, QStringLiteral("shijian"), rule);
        SetFieldValue(rs, QStringLiteral("lifa"), Value(i % 4 < 2 ? 0 : 1));
        StoreRow(rs);
    }
}

void BindLaunchers(ConnectionHolder& connection)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectLaunchers(), connection);
    for (int n = 1; !IsAtEnd(rs); MoveToNext(rs), ++n) {
        SetFieldValue(rs, QStringLiteral("ming"), QString::fromUtf8("按钮 %1").arg(n));
        SetFieldValue(rs, QStringLiteral("wj"), QStringLiteral("/home/user/文档/%1").arg(n));
        StoreRow(rs);
    }
}

int CountRows(ConnectionHolder& connection, Table table)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), connection);
    return rs.rowCount();
}

} // namespace

void FillTwentyYears(ConnectionHolder& connection)
{
    SeedPeriodTables(connection);
    Transaction transaction(connection);
    RebuildSearchIndex(connection, [&] {
        FillGoals(connection, Table::Nian, 10);
        FillGoals(connection, Table::Yue, 5);
        FillGoals(connection, Table::Ri, kItemsPerDay);
    });
    FillSchemes(connection);
    BindLaunchers(connection);
    transaction.commit();
}

QString TwentyYearDatabase()
{
    // one file per layout version, so builds of different versions never upgrade or remove each other's file
    const QString path =
        QDir::temp().filePath(QStringLiteral("jotrak-bench-twenty-years-v1-schema%1/db.mdb").arg(kSchemaVersion));
    if (QFileInfo::exists(path)) {
        try {
            ConnectionHolder connection;
            OpenDatabase(connection, path);
            if (CountRows(connection, Table::RiNext) == kDays * kItemsPerDay)
                return path;
        } catch (const DatabaseError&) {
        }
        QFile::remove(path);
    }
    const QString building = path + QStringLiteral(".building");
    QFile::remove(building);
    {
        ConnectionHolder connection;
        OpenDatabase(connection, building);
        FillTwentyYears(connection);
    }
    QFile::rename(building, path);
    return path;
}

} // namespace jotrak::bench
