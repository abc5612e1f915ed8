#pragma once

#include "data/keys.h"
#include "export/export_result.h"

#include <QIODevice>
#include <QString>

namespace jotrak {

class ConnectionHolder;

// Which work items the spreadsheet export takes (ExportFilter).
inline constexpr int kExportAllItems = 0;
inline constexpr int kExportDoneItems = 1; // IsOk = 1
inline constexpr int kExportOpenItems = 2; // not done

// The message (and its caption) when the template is missing, encrypted or damaged.
inline constexpr const char* kWorkbookFailedMessage = "无法打开文件,请检查数据文件是否存在";
inline constexpr const char* kWorkbookFailedCaption = "数据文件不存在";

// Writes a copy of the .xls template at templatePath with one row per work item
// added to its Sheet1, from row 3 on (or below any value the template already
// has there): A the goal key, B the item's content, C its completion note (both
// left empty when the item has none), D "OK" or "未完成". The goals are those of
// goalTable (Nian, Yue or Ri) from fromKey to toKey, both included, in key
// order; the items of each goal in IDME order, all of them or by filter
// (kExportDoneItems, kExportOpenItems; any other value takes all). Everything
// else in the template is kept. With no item to write, the copy is byte for byte.
// A text longer than a cell holds (xls::kMaxCellText) is cut in the workbook
// only; the success then carries a notice saying how many texts were cut and
// where (goal key, item number as the item list shows it, column).
//
// Nothing is written when:
// - the template cannot be read, is encrypted, or is not a usable BIFF8 workbook
//   with a sheet "Sheet1": the message is kWorkbookFailedMessage with caption
//   kWorkbookFailedCaption;
// - there are more items than rows left in the sheet (65 534 with the delivered
//   template): a message names both numbers;
// - the database fails: a message with the database's error.
ExportResult ExportItemsToExcel(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                const QString& toKey, int filter, const QString& templatePath, QIODevice& out);

// The same into the file fileName, which is replaced whole (see ReplaceFileWith);
// on any failure an old file there stays untouched.
ExportResult ExportItemsToExcel(ConnectionHolder& connection, Table goalTable, const QString& fromKey,
                                const QString& toKey, int filter, const QString& templatePath, const QString& fileName);

} // namespace jotrak
