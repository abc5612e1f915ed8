#pragma once

#include <QByteArray>

// The spreadsheet template delivered beside the program as Dt/1.xls.
namespace jotrak::xls {

// Its Workbook stream: one worksheet "Sheet1" with a merged title row (row 1),
// a header row 目标 / 工作内容 / 完成情况 / 是否完成 (row 2) and column widths
// that suit a goal key, two long texts and a short state.
QByteArray TemplateWorkbookStream();

// The whole .xls file: a compound file holding that stream.
QByteArray TemplateFile();

} // namespace jotrak::xls
