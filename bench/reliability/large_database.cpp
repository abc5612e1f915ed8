#include "large_database.h"

#include "varied_text.h"

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

void AddItems(RecordsetHolder& items, VariedText& texts, int goalId, int count, const QString& key)
{
    for (int i = 0; i < count; ++i) {
        AddNewRow(items);
        SetFieldValue(items, QStringLiteral("ShangId"), Value(goalId));
        SetFieldValue(items, QStringLiteral("nr"),
                      QString::fromUtf8("%1 第 %2 项:").arg(key).arg(i + 1) + texts.sentence(3 + (i * 7 + goalId) % 6));
        if (i % 3 != 2)
            SetFieldValue(items, QStringLiteral("wcqk"), texts.sentence(2 + (i + goalId) % 4));
        SetFieldValue(items, QStringLiteral("IsOk"), Value(i % 2));
        StoreRow(items);
    }
}

void FillGoals(ConnectionHolder& connection, VariedText& texts, Table goalTable, int itemsEach)
{
    RecordsetHolder goals;
    OpenRecordset(goals, stmt::SelectAll(goalTable), connection);
    RecordsetHolder items;
    OpenRecordset(items, stmt::ForAppending(ItemTableOf(goalTable)), connection);
    for (; !IsAtEnd(goals); MoveToNext(goals)) {
        const QString key = GetFieldValue(goals, QStringLiteral("ming")).toText();
        const int goalId = GetFieldValue(goals, QStringLiteral("IDME")).toInt();
        SetFieldValue(goals, QStringLiteral("nr"),
                      QString::fromUtf8("%1 的目标:").arg(key) + texts.sentence(6 + goalId % 7));
        StoreRow(goals);
        AddItems(items, texts, goalId, itemsEach, key);
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

void FillTwentyYears(ConnectionHolder& connection, int itemsPerDay)
{
    SeedPeriodTables(connection);
    Transaction transaction(connection);
    VariedText texts;
    RebuildSearchIndex(connection, [&] {
        FillGoals(connection, texts, Table::Nian, 10);
        FillGoals(connection, texts, Table::Yue, 5);
        FillGoals(connection, texts, Table::Ri, itemsPerDay);
    });
    FillSchemes(connection);
    BindLaunchers(connection);
    transaction.commit();
}

QString TwentyYearDatabase(int itemsPerDay)
{
    // one file per layout version, so builds of different versions never upgrade or remove each other's file
    const QString path = QDir::temp().filePath(
        QStringLiteral("jotrak-bench-twenty-years-varied-%1-schema%2/db.mdb").arg(itemsPerDay).arg(kSchemaVersion));
    if (QFileInfo::exists(path)) {
        try {
            ConnectionHolder connection;
            OpenDatabase(connection, path);
            if (CountRows(connection, Table::RiNext) == kDays * itemsPerDay)
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
        FillTwentyYears(connection, itemsPerDay);
    }
    QFile::rename(building, path);
    return path;
}

} // namespace jotrak::bench
