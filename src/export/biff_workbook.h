#pragma once

#include "export/biff_records.h"
#include "export/shared_strings.h"

#include <QByteArrayView>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace jotrak::xls {

// One new row of Sheet1: texts for columns A, B, ... An empty text leaves its cell empty.
using SheetRow = std::vector<QString>;

// Rows an .xls worksheet holds.
inline constexpr int kSheetRows = 65536;
// New rows start at the third row (index 2), below the template's title and header.
inline constexpr int kFirstDataRow = 2;
// Longest text a cell holds; longer texts are cut (never inside a surrogate pair).
inline constexpr int kMaxCellText = 32767;

// A BIFF8 Workbook stream read for appending text rows to its sheet "Sheet1".
// Every record is kept; only the shared string table, Sheet1's cell table and
// DIMENSIONS change, INDEX/DBCELL of Sheet1 are dropped (readers rebuild them),
// EXTSST is recomputed and every stream position (BOUNDSHEET, other sheets'
// INDEX) is moved to where its record now lies.
class Workbook {
public:
    // Reads a Workbook stream. Anything Excel would not open, or that cannot be
    // appended to safely, gives nothing and a reason in *error: a truncated or
    // malformed stream, no BIFF8 globals, an encrypted workbook, no worksheet
    // named Sheet1, sheet positions that miss their sheets, a broken string table.
    static std::optional<Workbook> Parse(QByteArrayView stream, QString* error = nullptr);

    // The row (0-based) the first new row goes to: row index 2, or the row after
    // the last one of Sheet1 holding a value. Formatted blank cells do not count;
    // a new text takes over the format of the blank cell it lands on.
    int firstNewRow() const { return firstNewRow_; }
    int rowCapacity() const { return kSheetRows - firstNewRow_; }

    // The Workbook stream with rows added to Sheet1 from firstNewRow() on, as
    // shared-string cells. Rows past rowCapacity() are left out: check the count first.
    QByteArray withRows(const std::vector<SheetRow>& rows) const;

private:
    struct SheetEntry {
        std::size_t record; // the BOUNDSHEET record
        std::size_t bof;    // the BOF of the substream it points to
    };
    struct ColumnFormat {
        int first;
        int last;
        quint16 xf;
    };

    Workbook() = default;
    bool readGlobals(std::size_t eof, QString* error);
    bool readSheet1(QString* error);
    void checkIndexRecords(std::size_t bof, std::size_t eof);
    quint16 cellFormat(int row, int column) const;
    struct Cell {
        int column;
        bool text;
        quint32 sst;
        quint16 xf;
    };
    // The cell records to insert, and the area they cover.
    struct CellTable {
        QByteArray bytes; // the records, back to back
        int firstRow = kSheetRows;
        int lastRow = -1;
        int firstColumn = 256;
        int lastColumn = -1;
    };
    CellTable newCellTable(const std::vector<SheetRow>& rows, SharedStrings& strings) const;
    static void appendCells(int row, const std::vector<Cell>& cells, QByteArray& out);
    BiffRecord widenedDimensions(const CellTable& table) const;

    RecordStream stream_;
    std::vector<bool> drop_; // records not copied to the new stream
    std::size_t globalsEof_ = 0;
    std::optional<SharedStrings> strings_;
    std::size_t sstIndex_ = 0;
    std::size_t sstRecords_ = 0;
    quint32 xfCount_ = 0;
    std::vector<SheetEntry> sheets_;
    std::size_t sheet1Bof_ = 0;
    std::size_t sheet1Eof_ = 0;
    std::optional<std::size_t> dimensions_;
    std::size_t insertAt_ = 0; // new cell records go before this record
    std::vector<ColumnFormat> columnFormats_;
    quint16 rowHeight_ = 0x00FF;
    int firstNewRow_ = kFirstDataRow;
    std::map<int, QByteArray> movedRows_;               // ROW records of rows from firstNewRow_ on
    std::map<int, std::map<int, quint16>> movedBlanks_; // row -> column -> format of blank cells there
};

} // namespace jotrak::xls
