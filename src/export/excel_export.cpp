#include "export/excel_export.h"

#include "data/record_access.h"
#include "data/statements.h"
#include "export/export_file.h"
#include "export/workbook_file.h"

#include <QCoreApplication>
#include <QDebug>

namespace jotrak {

namespace {

bool IsGoalTable(Table table)
{
    return table == Table::Nian || table == Table::Yue || table == Table::Ri;
}

Statement ItemsStatement(Table goalTable, int goalId, int filter)
{
    switch (filter) {
    case kExportDoneItems: return stmt::DoneItemsOfGoal(goalTable, goalId);
    case kExportOpenItems: return stmt::OpenItemsOfGoal(goalTable, goalId);
    default: return stmt::ItemsOfGoal(goalTable, goalId);
    }
}

// One sheet row per item: key, content, note, state.
std::vector<xls::SheetRow> ItemRows(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                    const QString& toKey, int filter)
{
    const QString done = QStringLiteral("OK");
    const QString open = QString::fromUtf8("未完成");
    std::vector<xls::SheetRow> rows;
    RecordsetHolder goals;
    OpenRecordset(goals, stmt::GoalsBetween(goalTable, fromKey, toKey), connection);
    for (; !IsAtEnd(goals); MoveToNext(goals)) {
        const QString key = TextFromValue(GetFieldValue(goals, QStringLiteral("ming")));
        const int goalId = GetFieldValue(goals, QStringLiteral("IDME")).toInt();
        RecordsetHolder items;
        OpenRecordset(items, ItemsStatement(goalTable, goalId, filter), connection);
        for (; !IsAtEnd(items); MoveToNext(items)) {
            const bool isDone = GetFieldValue(items, QStringLiteral("IsOk")).toInteger() != 0;
            rows.push_back({key, TextFromValue(GetFieldValue(items, QStringLiteral("nr"))),
                            TextFromValue(GetFieldValue(items, QStringLiteral("wcqk"))), isDone ? done : open});
        }
        CloseRecordset(items);
    }
    CloseRecordset(goals);
    return rows;
}

ExportResult WorkbookBytes(ConnectionHolder& connection, Table goalTable, const QString& fromKey, const QString& toKey,
                           int filter, const QString& templatePath, QByteArray* bytes)
{
    if (!IsGoalTable(goalTable))
        return ExportResult::Failure(QString::fromUtf8("只能导出年、月、日目标的细项。"));
    QString reason;
    const std::optional<xls::WorkbookFile> workbook = xls::OpenWorkbook(templatePath, &reason);
    if (!workbook) {
        qWarning().noquote() << "spreadsheet template" << templatePath << "refused:" << reason;
        return ExportResult::Failure(QString::fromUtf8(kWorkbookFailedMessage),
                                     QString::fromUtf8(kWorkbookFailedCaption));
    }
    std::vector<xls::SheetRow> rows;
    try {
        rows = ItemRows(connection, goalTable, fromKey, toKey, filter);
    } catch (const DatabaseError& error) {
        return ExportResult::Failure(QString::fromUtf8("读取工作细项时数据库出错:%1").arg(error.message()));
    }
    if (rows.empty()) {
        *bytes = workbook->fileBytes();
        return ExportResult::Success();
    }
    const int capacity = workbook->workbook().rowCapacity();
    if (rows.size() > static_cast<std::size_t>(capacity))
        return ExportResult::Failure(
            QString::fromUtf8("要导出的细项共有 %1 条,超过了 Excel 工作表还能容纳的 %2 行。请缩小导出的范围后再试。")
                .arg(rows.size())
                .arg(capacity));
    std::optional<QByteArray> file = workbook->withRows(rows, &reason);
    if (!file)
        return ExportResult::Failure(QString::fromUtf8("无法生成 Excel 文件:%1").arg(reason));
    *bytes = std::move(*file);
    return ExportResult::Success();
}

} // namespace

QString DefaultTemplatePath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Dt/1.xls");
}

ExportResult ExportItemsToExcel(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                const QString& toKey, int filter, const QString& templatePath, QIODevice& out)
{
    QByteArray bytes;
    ExportResult result = WorkbookBytes(connection, goalTable, fromKey, toKey, filter, templatePath, &bytes);
    return result ? WriteExportBytes(bytes, out) : result;
}

ExportResult ExportItemsToExcel(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                const QString& toKey, int filter, const QString& templatePath, const QString& fileName)
{
    QByteArray bytes;
    ExportResult result = WorkbookBytes(connection, goalTable, fromKey, toKey, filter, templatePath, &bytes);
    return result ? ReplaceFileWith(fileName, bytes) : result;
}

} // namespace jotrak
