#include "export/excel_export.h"

#include "data/database_error.h"
#include "export/compound_file.h"
#include "export/export_file.h"
#include "export/workbook_file.h"
#include "data/goal_store.h"
#include "data/item_store.h"

#include <QDebug>

namespace jotrak {

namespace {

bool IsGoalTable(Table table)
{
    return table == Table::Nian || table == Table::Yue || table == Table::Ri;
}

ItemFilter FilterOf(int filter)
{
    switch (filter) {
    case kExportDoneItems: return ItemFilter::Done;
    case kExportOpenItems: return ItemFilter::Open;
    default: return ItemFilter::All;
    }
}

// A text longer than a cell holds: its goal, its item and its column.
struct LongText {
    QString goalKey;
    int goalId;
    int itemId;
    const char* column;
};

// One sheet row per item: key, content, note, state. Texts the cells will cut are added to *longTexts.
std::vector<xls::SheetRow> ItemRows(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                    const QString& toKey, int filter, std::vector<LongText>* longTexts)
{
    const QString done = QStringLiteral("OK");
    const QString open = QString::fromUtf8("未完成");
    std::vector<xls::SheetRow> rows;
    for (const Goal& goal : GoalsBetween(connection, goalTable, fromKey, toKey)) {
        for (const WorkItem& item : ListWorkItems(connection, goalTable, goal.id, FilterOf(filter))) {
            rows.push_back({goal.key, item.content, item.note, item.done ? done : open});
            if (item.content.size() > xls::kMaxCellText)
                longTexts->push_back({goal.key, goal.id, item.id, "工作内容"});
            if (item.note.size() > xls::kMaxCellText)
                longTexts->push_back({goal.key, goal.id, item.id, "完成情况"});
        }
    }
    return rows;
}

// The item's number as the item list shows it: its place among all items of its goal.
int ItemNumber(ConnectionHolder& connection, Table goalTable, int goalId, int itemId)
{
    const std::vector<WorkItem> items = ListWorkItems(connection, goalTable, goalId);
    int number = 1;
    for (auto item = items.begin(); item != items.end() && item->id != itemId; ++item)
        ++number;
    return number;
}

// Tells which texts the workbook holds shortened; the first ones in the
// sentence, all of them in the details.
ExportResult ShortenedNotice(ConnectionHolder& connection, Table goalTable, const std::vector<LongText>& longTexts)
{
    constexpr int kListed = 10;
    QStringList places;
    for (const LongText& text : longTexts)
        places << QString::fromUtf8("目标 %1 第 %2 项的%3")
                      .arg(text.goalKey)
                      .arg(ItemNumber(connection, goalTable, text.goalId, text.itemId))
                      .arg(QString::fromUtf8(text.column));
    QStringList shown = places.mid(0, kListed);
    if (places.size() > kListed)
        shown << QString::fromUtf8("……其余 %1 处见详细信息").arg(places.size() - kListed);
    return ExportResult::Notice(
        QString::fromUtf8("导出完成,但有 %1 段文字超过了 Excel 单元格最多能容纳的 %2 个字符,在表格中被截短了:\n%3\n"
                          "数据库中的原文没有改动。")
            .arg(places.size())
            .arg(xls::kMaxCellText)
            .arg(shown.join(u'\n')),
        QString::fromUtf8("部分文字被截短"), places.size() > kListed ? places.join(u'\n') : QString());
}

ExportResult WorkbookBytes(ConnectionHolder& connection, Table goalTable, const QString& fromKey, const QString& toKey,
                           int filter, const QString& templatePath, QByteArray* bytes)
{
    if (!IsGoalTable(goalTable))
        return ExportResult::Failure(QString::fromUtf8("只能导出年、月、日目标的细项。"));
    if (const QString trouble = xls::CompoundFileModuleTrouble(); !trouble.isEmpty())
        return ExportResult::Failure(trouble, QString::fromUtf8("缺少电子表格模块"));
    QString reason;
    const std::optional<xls::WorkbookFile> workbook = xls::OpenWorkbook(templatePath, &reason);
    if (!workbook) {
        qWarning().noquote() << "spreadsheet template" << templatePath << "refused:" << reason;
        return ExportResult::Failure(QString::fromUtf8(kWorkbookFailedMessage),
                                     QString::fromUtf8(kWorkbookFailedCaption));
    }
    std::vector<xls::SheetRow> rows;
    std::vector<LongText> longTexts;
    ExportResult result;
    try {
        rows = ItemRows(connection, goalTable, fromKey, toKey, filter, &longTexts);
        if (!longTexts.empty())
            result = ShortenedNotice(connection, goalTable, longTexts);
    } catch (const DatabaseError& error) {
        return ExportResult::Failure(QString::fromUtf8("读取工作细项时数据库出错:%1").arg(error.message()), {},
                                     error.details());
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
    return result;
}

} // namespace

ExportResult ExportItemsToExcel(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                const QString& toKey, int filter, const QString& templatePath, QIODevice& out)
{
    QByteArray bytes;
    const ExportResult result = WorkbookBytes(connection, goalTable, fromKey, toKey, filter, templatePath, &bytes);
    if (!result)
        return result;
    const ExportResult written = WriteExportBytes(bytes, out);
    return written ? result : written;
}

ExportResult ExportItemsToExcel(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                const QString& toKey, int filter, const QString& templatePath, const QString& fileName)
{
    QByteArray bytes;
    const ExportResult result = WorkbookBytes(connection, goalTable, fromKey, toKey, filter, templatePath, &bytes);
    if (!result)
        return result;
    const ExportResult written = ReplaceFileWith(fileName, bytes);
    return written ? result : written;
}

} // namespace jotrak
