#pragma once

// Workbooks for the export tests: an independent reader (libfreexl) and
// templates as another spreadsheet program might leave them.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace jotrak::test {

// The cells of a sheet as texts, "" for an empty cell; nothing (with the reason)
// when freexl refuses the file.
using SheetCells = std::vector<std::vector<QString>>;
std::optional<SheetCells> ReadSheetWithFreeXl(const QString& path, const QString& sheet = QStringLiteral("Sheet1"),
                                              QString* error = nullptr);

// A workbook stream wrapped in a compound file.
QByteArray XlsFileWithStream(const QByteArray& stream, const QString& streamName = QStringLiteral("Workbook"));

// 1.xls restyled: sheets 封面 before Sheet1 and 备注 after it (with INDEX/DBCELL),
// fonts and formats added, a shared string table across a CONTINUE record with
// one string split over it and a rich-text title, a stale EXTSST, the number 42
// in the title row, and blank cells of format 17 (bordered) in A3:E7.
QByteArray RestyledTemplateStream();
inline constexpr int kRestyledBlankXf = 17;
// Sheet1 holding 标题 in A1 and 备注行 in A6: new rows go below it.
QByteArray TemplateWithValueBelowStream();
// No shared string table and an empty Sheet1.
QByteArray TemplateWithoutStringsStream();

} // namespace jotrak::test
