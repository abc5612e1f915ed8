#pragma once

// Workbooks for the export tests: the writer's exports from templates as they
// are delivered and as another spreadsheet program might leave them, with what
// each must hold, for two independent readers (libfreexl here, Python's xlrd in
// check_with_xlrd.py).

#include <QByteArray>
#include <QDir>
#include <QString>

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

// 1.xls restyled: sheets 封面 before Sheet1 and 备注 after it (with INDEX/DBCELL),
// fonts and formats added, a shared string table across a CONTINUE record with
// one string split over it and a rich-text title, a stale EXTSST, the number 42
// in the title row, and blank cells of format 17 (bordered) in A3:E7.
QByteArray RestyledTemplateStream();

struct XlsSample {
    QString file;
    std::map<QString, SheetCells> sheets;
    std::vector<std::array<int, 3>> formats; // row, column, format index of Sheet1's cells
};
// Writes the exports into folder; nothing when one failed.
std::optional<std::vector<XlsSample>> WriteXlsSamples(const QDir& folder);

} // namespace jotrak::test
