// The two export writers on a full database: every day goal of 2018-2037 with a
// text, and 60 000 work items under them.

#include "data/record_access.h"
#include "data/seed.h"
#include "export/excel_export.h"
#include "export/text_export.h"
#include "export/xls_template.h"

#include <benchmark/benchmark.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace jotrak;

namespace {

constexpr int kItems = 60000;

struct FullDatabase {
    QTemporaryDir dir;
    ConnectionHolder connection;
    QString templatePath = dir.filePath(QStringLiteral("1.xls"));

    FullDatabase()
    {
        OpenDatabase(connection, dir.filePath(QStringLiteral("db.mdb")));
        SeedPeriodTables(connection);
        QFile file(templatePath);
        file.open(QIODevice::WriteOnly);
        file.write(xls::TemplateFile());

        Transaction transaction(connection);
        std::vector<int> goalIds;
        RecordsetHolder goals;
        OpenRecordset(goals, stmt::SelectAll(Table::Ri), connection);
        for (int n = 0; !IsAtEnd(goals); MoveToNext(goals), ++n) {
            goalIds.push_back(GetFieldValue(goals, QStringLiteral("IDME")).toInt());
            SetFieldValue(goals, QStringLiteral("nr"),
                          QString::fromUtf8("第%1天:完成周报并发给组长\n联系两位客户,确认需求\n整理文档").arg(n));
            StoreRow(goals);
        }
        CloseRecordset(goals);
        RecordsetHolder items;
        OpenRecordset(items, stmt::AnyRow(Table::RiNext), connection);
        for (int n = 0; n < kItems; ++n) {
            AddNewRow(items);
            SetFieldValue(items, QStringLiteral("ShangId"), goalIds[static_cast<std::size_t>(n) % goalIds.size()]);
            SetFieldValue(items, QStringLiteral("nr"), QString::fromUtf8("工作内容第%1项:检查报表").arg(n));
            if (n % 2)
                SetFieldValue(items, QStringLiteral("wcqk"), QString::fromUtf8("已于当天完成"));
            SetFieldValue(items, QStringLiteral("IsOk"), n % 2);
            StoreRow(items);
        }
        CloseRecordset(items);
        transaction.commit();
    }
};

FullDatabase& Database()
{
    static FullDatabase db;
    return db;
}

void BM_TextExportAllDayGoals(benchmark::State& state)
{
    FullDatabase& db = Database();
    const QString target = db.dir.filePath(QStringLiteral("goals.txt"));
    for (auto _ : state) {
        if (!ExportGoalsAsText(db.connection, Table::Ri, QStringLiteral("20171231"), QStringLiteral("20380101"),
                               target))
            state.SkipWithError("export failed");
    }
    state.counters["file_bytes"] = static_cast<double>(QFileInfo(target).size());
    state.counters["goals"] = 7305;
}
BENCHMARK(BM_TextExportAllDayGoals)->Unit(benchmark::kMillisecond);

void BM_ExcelExport60000Items(benchmark::State& state)
{
    FullDatabase& db = Database();
    const QString target = db.dir.filePath(QStringLiteral("items.xls"));
    for (auto _ : state) {
        if (!ExportItemsToExcel(db.connection, Table::Ri, QStringLiteral("20180101"), QStringLiteral("20371231"),
                                kExportAllItems, db.templatePath, target))
            state.SkipWithError("export failed");
    }
    state.counters["file_bytes"] = static_cast<double>(QFileInfo(target).size());
    state.counters["items"] = kItems;
}
BENCHMARK(BM_ExcelExport60000Items)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
