#pragma once

#include "export/biff_records.h"
#include "export/shared_strings.h"

#include <QString>

#include <vector>

// A minimal BIFF8 workbook writer: the records a workbook needs so that Excel
// and other spreadsheet programs open it, and the assembly of a stream.
namespace jotrak::xls::build {

BiffRecord Bof(quint16 substream);
BiffRecord Eof();
// A record whose body is one 16-bit value (CODEPAGE, PROTECT, CALCMODE, ...).
BiffRecord Word(quint16 id, quint16 value);
BiffRecord WriteAccess(const QString& user);
BiffRecord Window1();
// A font of the given height in points; charset 134 (GB2312) for Chinese faces.
BiffRecord Font(int points, bool bold, const QString& face);

struct XfStyle {
    quint16 font = 0;
    quint8 horizontal = 0; // 0 general, 2 centre
    quint8 vertical = 2;   // 0 top, 1 centre, 2 bottom
    bool wrap = false;
    bool thinBorder = false;
    quint8 fillColour = 0; // palette index; 0 = no fill
};
BiffRecord CellXf(const XfStyle& style);
// The 15 style formats and the default cell format (index 15) every workbook starts with.
std::vector<BiffRecord> StandardXfs();
BiffRecord NormalStyle();
// A worksheet entry; its stream position is filled in by AssembleWorkbook.
BiffRecord BoundSheet(const QString& name);

BiffRecord ColInfo(int firstColumn, int lastColumn, int widthInChars, quint16 xf);
BiffRecord DefaultRowHeight(int twips);
BiffRecord Dimensions(int firstRow, int endRow, int firstColumn, int endColumn);
BiffRecord Row(int row, int firstColumn, int endColumn, int twips, bool customHeight);
BiffRecord LabelSst(int row, int column, quint16 xf, quint32 sstIndex);
BiffRecord MulBlank(int row, int firstColumn, const std::vector<quint16>& xfs);
BiffRecord Number(int row, int column, quint16 xf, double value);
BiffRecord Window2(bool selected);
BiffRecord MergedCell(int firstRow, int lastRow, int firstColumn, int lastColumn);

// Joins the globals substream (BOF ... EOF) and the sheet substreams into a
// Workbook stream. The k-th BOUNDSHEET of the globals is pointed at sheets[k].
// When strings is given, its SST and a matching EXTSST go before the globals EOF.
// Streams shorter than 4096 bytes are padded, as Excel writes them.
QByteArray AssembleWorkbook(std::vector<BiffRecord> globals, const SharedStrings* strings,
                            const std::vector<std::vector<BiffRecord>>& sheets);

} // namespace jotrak::xls::build
