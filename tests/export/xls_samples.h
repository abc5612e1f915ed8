#pragma once

// Exports from the delivered and foreign templates, for libfreexl here and xlrd in check_with_xlrd.py.

#include <QDir>

#include <array>
#include <map>
#include <optional>
#include <vector>

namespace jotrak::test {

// The cells of a sheet as texts, "" for an empty cell.
using SheetCells = std::vector<std::vector<QString>>;
// Nothing when freexl refuses the file or has no such sheet.
std::optional<SheetCells> ReadSheetWithFreeXl(const QString& path, const QString& sheet = QStringLiteral("Sheet1"));

// A workbook stream wrapped in a compound file.
QByteArray XlsFileWithStream(const QByteArray& stream, const QString& streamName = QStringLiteral("Workbook"));

// 1.xls restyled: sheets 封面 and 备注 around Sheet1 (INDEX/DBCELL), more fonts and formats, strings split over
// CONTINUE, a rich-text title, a stale EXTSST, 42 in the title row, bordered blanks (format 17) in A3:E7.
QByteArray RestyledTemplateStream();

struct XlsSample {
    QString file;
    std::map<QString, SheetCells> sheets;
    std::vector<std::array<int, 3>> formats; // row, column, format index of Sheet1's cells
};
// Writes the exports into folder; nothing when one failed.
std::optional<std::vector<XlsSample>> WriteXlsSamples(const QDir& folder);

} // namespace jotrak::test
