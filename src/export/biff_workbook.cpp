#include "export/biff_workbook.h"

#include "export/byte_io.h"

#include <QHash>

#include <algorithm>

namespace jotrak::xls {

namespace {

constexpr quint16 kDefaultCellXf = 15; // the first cell format after Excel's 15 style formats
constexpr int kRowsPerBlock = 32;

bool Fail(QString* error, const char* text)
{
    if (error)
        *error = QString::fromUtf8(text);
    return false;
}

bool IsBiff8Bof(const BiffRecord& r, quint16 substream)
{
    return r.id == rec::kBof && r.data.size() >= 4 && ReadU16(r.data, 0) == kBiff8Version &&
           ReadU16(r.data, 2) == substream;
}

// The sheet name of a BOUNDSHEET record, or nothing when the record is malformed.
std::optional<QString> BoundSheetName(const QByteArray& data)
{
    ByteReader r(data);
    r.skip(6);
    const quint8 length = r.u8();
    const bool wide = r.u8() & 0x01;
    const QByteArrayView chars = r.take(wide ? 2 * length : length);
    if (!r.ok())
        return std::nullopt;
    QString name;
    for (int i = 0; i < length; ++i)
        name.append(QChar(static_cast<char16_t>(wide ? ReadU16(chars, 2 * i) : static_cast<quint8>(chars[i]))));
    return name;
}

// Smallest body of each cell record that carries a position, and whether it is a blank.
struct CellShape {
    quint16 id;
    int minSize;
    bool blank;
};

constexpr CellShape kCellShapes[] = {
    {rec::kLabelSst, 10, false}, {rec::kLabel, 8, false},   {rec::kRString, 8, false}, {rec::kNumber, 14, false},
    {rec::kRk, 10, false},       {rec::kMulRk, 6, false},   {rec::kBoolErr, 8, false}, {rec::kFormula, 20, false},
    {rec::kBlank, 6, true},      {rec::kMulBlank, 6, true},
};

const CellShape* CellShapeOf(quint16 id)
{
    for (const CellShape& shape : kCellShapes)
        if (shape.id == id)
            return &shape;
    return nullptr;
}

// Records that refer to a range of rows (rwFirst, rwLast) from a formula.
bool IsRangeRecord(quint16 id)
{
    return id == rec::kArray || id == rec::kShrFmla || id == rec::kTable;
}

bool IsCellTableRecord(quint16 id)
{
    return CellShapeOf(id) || IsRangeRecord(id) || id == rec::kRow || id == rec::kString || id == rec::kDbCell;
}

QString CellText(const QString& text)
{
    if (text.size() <= kMaxCellText)
        return text;
    qsizetype keep = kMaxCellText;
    if (text[keep - 1].isHighSurrogate())
        --keep;
    return text.left(keep);
}

void PutRecord(QByteArray& out, quint16 id, const QByteArray& data)
{
    char header[4];
    StoreU16(header, id);
    StoreU16(header + 2, static_cast<quint16>(data.size()));
    out.append(header, 4);
    out.append(data);
}

BiffRecord BlankRun(int row, int first, const std::vector<quint16>& formats)
{
    QByteArray data;
    PutU16(data, row);
    PutU16(data, first);
    for (quint16 xf : formats)
        PutU16(data, xf);
    if (formats.size() == 1)
        return BiffRecord{rec::kBlank, data};
    PutU16(data, first + static_cast<int>(formats.size()) - 1);
    return BiffRecord{rec::kMulBlank, data};
}

} // namespace

std::optional<Workbook> Workbook::Parse(QByteArrayView stream, QString* error)
{
    std::optional<RecordStream> split = SplitRecords(stream, error);
    if (!split)
        return std::nullopt;
    Workbook book;
    book.stream_ = std::move(*split);
    const auto& records = book.stream_.records;
    book.drop_.assign(records.size(), false);
    if (!IsBiff8Bof(records[0], kGlobalsSubstream)) {
        Fail(error, "不是 Excel 97-2003 (BIFF8) 工作簿");
        return std::nullopt;
    }
    std::size_t eof = 0;
    while (records[eof].id != rec::kEof || book.stream_.levels[eof] != 1)
        ++eof;
    if (!book.readGlobals(eof, error) || !book.readSheet1(error))
        return std::nullopt;
    return book;
}

bool Workbook::readGlobals(std::size_t eof, QString* error)
{
    const auto& records = stream_.records;
    const auto& levels = stream_.levels;
    globalsEof_ = eof;

    // Top-level substreams by their stream position, for BOUNDSHEET to point at.
    QHash<qint64, std::size_t> substreamAt;
    for (std::size_t i = eof + 1; i < records.size(); ++i)
        if (levels[i] == 1 && records[i].id == rec::kBof)
            substreamAt.insert(stream_.offsets[i], i);

    for (std::size_t i = 1; i < eof; ++i) {
        if (levels[i] != 1)
            continue;
        const BiffRecord& r = records[i];
        switch (r.id) {
        case rec::kFilePass: return Fail(error, "工作簿已加密");
        case rec::kXf: ++xfCount_; break;
        case rec::kExtSst: drop_[i] = true; break;
        case rec::kSst: {
            if (strings_)
                return Fail(error, "工作簿有两个共享字符串表");
            strings_ = SharedStrings::Parse(records, i, &sstRecords_, error);
            if (!strings_)
                return false;
            sstIndex_ = i;
            break;
        }
        case rec::kBoundSheet: {
            const std::optional<QString> name = BoundSheetName(r.data);
            const auto target = substreamAt.constFind(ReadU32(r.data, 0));
            if (!name || target == substreamAt.cend())
                return Fail(error, "工作表的位置与工作簿数据不符");
            sheets_.push_back(SheetEntry{i, *target});
            if (sheet1Bof_ == 0 && name->compare(QStringLiteral("Sheet1"), Qt::CaseInsensitive) == 0) {
                if (static_cast<quint8>(r.data[5]) != 0 || !IsBiff8Bof(records[*target], kWorksheetSubstream))
                    return Fail(error, "Sheet1 不是普通工作表");
                sheet1Bof_ = *target;
            }
            break;
        }
        default: break;
        }
    }
    if (sheet1Bof_ == 0)
        return Fail(error, "工作簿中没有名为 Sheet1 的工作表");
    for (std::size_t bof = eof + 1; bof < records.size(); ++bof) {
        if (levels[bof] != 1 || records[bof].id != rec::kBof || bof == sheet1Bof_)
            continue;
        std::size_t end = bof + 1;
        while (end < records.size() && !(records[end].id == rec::kEof && levels[end] == 1))
            ++end;
        checkIndexRecords(bof, end);
    }
    return true;
}

// Other sheets keep their INDEX records, which hold stream positions of records
// in the same sheet; one that does not name such records is dropped.
void Workbook::checkIndexRecords(std::size_t bof, std::size_t eof)
{
    const auto& records = stream_.records;
    QHash<qint64, bool> starts;
    for (std::size_t i = bof; i <= eof && i < records.size(); ++i)
        if (records[i].id != rec::kIndex)
            starts.insert(stream_.offsets[i], true);
    for (std::size_t i = bof; i <= eof && i < records.size(); ++i) {
        if (records[i].id != rec::kIndex || stream_.levels[i] != 1)
            continue;
        const QByteArray& data = records[i].data;
        bool movable = data.size() >= 16 && (data.size() - 16) % 4 == 0;
        for (qsizetype at = 12; movable && at + 4 <= data.size(); at += 4) {
            const quint32 target = ReadU32(data, at);
            movable = (at == 12 && target == 0) || starts.contains(target);
        }
        if (!movable)
            drop_[i] = true; // readers do without it
    }
}

bool Workbook::readSheet1(QString* error)
{
    const auto& records = stream_.records;
    const auto& levels = stream_.levels;
    sheet1Eof_ = sheet1Bof_ + 1;
    while (sheet1Eof_ < records.size() && !(records[sheet1Eof_].id == rec::kEof && levels[sheet1Eof_] == 1))
        ++sheet1Eof_;

    int lastValueRow = -1;
    std::optional<std::size_t> lastCellTable;
    std::optional<std::size_t> window2;
    std::vector<std::size_t> blankRecords;
    std::vector<std::size_t> rowRecords;
    for (std::size_t i = sheet1Bof_ + 1; i < sheet1Eof_; ++i) {
        if (levels[i] != 1)
            continue;
        const BiffRecord& r = records[i];
        const QByteArray& data = r.data;
        if (IsCellTableRecord(r.id))
            lastCellTable = i;
        if (const CellShape* shape = CellShapeOf(r.id)) {
            if (data.size() < shape->minSize)
                return Fail(error, "Sheet1 中的单元格记录损坏");
            if (shape->blank)
                blankRecords.push_back(i);
            else
                lastValueRow = std::max<int>(lastValueRow, ReadU16(data, 0));
            continue;
        }
        if (IsRangeRecord(r.id)) {
            if (data.size() < 6)
                return Fail(error, "Sheet1 中的公式区域记录损坏");
            lastValueRow = std::max<int>(lastValueRow, ReadU16(data, 2));
            continue;
        }
        switch (r.id) {
        case rec::kRow:
            if (data.size() < 16)
                return Fail(error, "Sheet1 中的行记录损坏");
            rowRecords.push_back(i);
            break;
        case rec::kIndex:
        case rec::kDbCell: drop_[i] = true; break;
        case rec::kDimensions:
            if (data.size() < 14)
                return Fail(error, "Sheet1 的区域记录损坏");
            if (!dimensions_)
                dimensions_ = i;
            break;
        case rec::kColInfo:
            if (data.size() >= 10)
                columnFormats_.push_back(ColumnFormat{ReadU16(data, 0), ReadU16(data, 2), ReadU16(data, 6)});
            break;
        case rec::kDefaultRowHeight:
            if (data.size() >= 4)
                rowHeight_ = ReadU16(data, 2);
            break;
        case rec::kWindow2:
            if (!window2)
                window2 = i;
            break;
        default: break;
        }
    }
    firstNewRow_ = std::max(kFirstDataRow, lastValueRow + 1);

    // Rows from firstNewRow_ on hold at most formatted blanks: they are taken out
    // and written again, merged with the new cells, in row order.
    for (std::size_t i : rowRecords) {
        const int row = ReadU16(records[i].data, 0);
        if (row >= firstNewRow_) {
            movedRows_[row] = records[i].data;
            drop_[i] = true;
        }
    }
    for (std::size_t i : blankRecords) {
        const QByteArray& data = records[i].data;
        const int row = ReadU16(data, 0);
        if (row < firstNewRow_)
            continue;
        const int first = ReadU16(data, 2);
        if (records[i].id == rec::kBlank) {
            movedBlanks_[row][first] = ReadU16(data, 4);
        } else {
            const int count = static_cast<int>((data.size() - 6) / 2);
            for (int k = 0; k < count && first + k < 256; ++k)
                movedBlanks_[row][first + k] = ReadU16(data, 4 + 2 * k);
        }
        drop_[i] = true;
    }

    if (lastCellTable)
        insertAt_ = *lastCellTable + 1;
    else if (dimensions_)
        insertAt_ = *dimensions_ + 1;
    else
        insertAt_ = window2 ? *window2 : sheet1Eof_;
    return true;
}

quint16 Workbook::cellFormat(int row, int column) const
{
    if (const auto r = movedBlanks_.find(row); r != movedBlanks_.end())
        if (const auto c = r->second.find(column); c != r->second.end())
            return c->second;
    for (const ColumnFormat& f : columnFormats_)
        if (column >= f.first && column <= f.last && f.xf < xfCount_)
            return f.xf;
    if (xfCount_ > kDefaultCellXf)
        return kDefaultCellXf;
    return xfCount_ > 0 ? static_cast<quint16>(xfCount_ - 1) : 0;
}

Workbook::CellTable Workbook::newCellTable(const std::vector<SheetRow>& rows, SharedStrings& strings) const
{
    // Every row to write: the new ones and the moved ones, in order.
    const std::size_t count = std::min(rows.size(), static_cast<std::size_t>(rowCapacity()));
    std::vector<int> order;
    order.reserve(count + movedRows_.size() + movedBlanks_.size());
    for (std::size_t i = 0; i < count; ++i)
        order.push_back(firstNewRow_ + static_cast<int>(i));
    for (const auto& entry : movedRows_)
        order.push_back(entry.first);
    for (const auto& entry : movedBlanks_)
        order.push_back(entry.first);
    std::sort(order.begin(), order.end());
    order.erase(std::unique(order.begin(), order.end()), order.end());

    CellTable table;
    table.bytes.reserve(static_cast<qsizetype>(order.size()) * 80);
    quint32 references = 0;
    std::vector<std::vector<Cell>> blockCells(kRowsPerBlock);
    for (std::size_t start = 0; start < order.size(); start += kRowsPerBlock) {
        const std::size_t end = std::min(order.size(), start + kRowsPerBlock);
        for (std::size_t k = start; k < end; ++k) {
            const int row = order[k];
            std::vector<Cell>& cells = blockCells[k - start];
            cells.clear();
            const auto blanks = movedBlanks_.find(row);
            if (blanks != movedBlanks_.end())
                for (const auto& [column, xf] : blanks->second)
                    cells.push_back(Cell{column, false, 0, xf});
            const std::size_t index = static_cast<std::size_t>(row - firstNewRow_);
            if (index < count) {
                const SheetRow& values = rows[index];
                for (std::size_t c = 0; c < values.size() && c < 256; ++c) {
                    if (values[c].isEmpty())
                        continue;
                    const int column = static_cast<int>(c);
                    cells.push_back(Cell{column, true, strings.intern(CellText(values[c])), cellFormat(row, column)});
                    ++references;
                }
            }
            if (blanks != movedBlanks_.end()) {
                // A text replaces the blank it lands on (it took over its format).
                std::stable_sort(cells.begin(), cells.end(),
                                 [](const Cell& a, const Cell& b) { return a.column < b.column; });
                for (std::size_t c = 0; c + 1 < cells.size();)
                    if (cells[c].column == cells[c + 1].column)
                        cells.erase(cells.begin() + static_cast<std::ptrdiff_t>(c));
                    else
                        ++c;
            }

            const auto moved = movedRows_.find(row);
            QByteArray rowData = moved != movedRows_.end() ? moved->second : QByteArray();
            if (rowData.isEmpty()) {
                PutU16(rowData, row);
                PutU32(rowData, 0); // column range, set below
                PutU16(rowData, rowHeight_);
                PutU32(rowData, 0);
                PutU16(rowData, 0x0100);
                PutU16(rowData, kDefaultCellXf);
            }
            if (!cells.empty()) {
                SetU16(rowData, 2, cells.front().column);
                SetU16(rowData, 4, cells.back().column + 1);
                table.firstColumn = std::min(table.firstColumn, cells.front().column);
                table.lastColumn = std::max(table.lastColumn, cells.back().column);
            }
            table.firstRow = std::min(table.firstRow, row);
            table.lastRow = std::max(table.lastRow, row);
            PutRecord(table.bytes, rec::kRow, rowData);
        }
        for (std::size_t k = start; k < end; ++k)
            appendCells(order[k], blockCells[k - start], table.bytes);
    }
    strings.addReferences(references);
    return table;
}

void Workbook::appendCells(int row, const std::vector<Cell>& cells, QByteArray& out)
{
    for (std::size_t c = 0; c < cells.size();) {
        if (cells[c].text) {
            char label[18];
            StoreU16(label, rec::kLabelSst);
            StoreU16(label + 2, 10);
            StoreU16(label + 4, static_cast<quint16>(row));
            StoreU16(label + 6, static_cast<quint16>(cells[c].column));
            StoreU16(label + 8, cells[c].xf);
            StoreU16(label + 10, static_cast<quint16>(cells[c].sst));
            StoreU16(label + 12, static_cast<quint16>(cells[c].sst >> 16));
            out.append(label, 14);
            ++c;
            continue;
        }
        // Neighbouring blanks become one MULBLANK.
        std::vector<quint16> formats{cells[c].xf};
        std::size_t next = c + 1;
        while (next < cells.size() && !cells[next].text && cells[next].column == cells[next - 1].column + 1)
            formats.push_back(cells[next++].xf);
        const BiffRecord blanks = BlankRun(row, cells[c].column, formats);
        PutRecord(out, blanks.id, blanks.data);
        c = next;
    }
}

BiffRecord Workbook::widenedDimensions(const CellTable& table) const
{
    QByteArray data = dimensions_ ? stream_.records[*dimensions_].data : QByteArray(14, '\0');
    if (table.lastRow < 0 || table.lastColumn < 0)
        return BiffRecord{rec::kDimensions, data};
    const quint32 firstRow = ReadU32(data, 0);
    const quint32 endRow = ReadU32(data, 4);
    const quint16 firstColumn = ReadU16(data, 8);
    const quint16 endColumn = ReadU16(data, 10);
    const quint32 newFirstRow = static_cast<quint32>(table.firstRow);
    const quint32 newEndRow = static_cast<quint32>(table.lastRow + 1);
    const quint16 newFirstColumn = static_cast<quint16>(table.firstColumn);
    const quint16 newEndColumn = static_cast<quint16>(table.lastColumn + 1);
    const bool empty = endRow <= firstRow || endColumn <= firstColumn;
    SetU32(data, 0, empty ? newFirstRow : std::min(firstRow, newFirstRow));
    SetU32(data, 4, empty ? newEndRow : std::max(endRow, newEndRow));
    SetU16(data, 8, empty ? newFirstColumn : std::min(firstColumn, newFirstColumn));
    SetU16(data, 10, empty ? newEndColumn : std::max(endColumn, newEndColumn));
    return BiffRecord{rec::kDimensions, data};
}

QByteArray Workbook::withRows(const std::vector<SheetRow>& rows) const
{
    const auto& records = stream_.records;
    SharedStrings strings = strings_ ? *strings_ : SharedStrings();
    strings.reserve(static_cast<qsizetype>(rows.size()) * 2);
    const CellTable cells = newCellTable(rows, strings);
    const std::vector<BiffRecord> stringRecords = strings.records();

    QByteArray stream;
    stream.reserve(JoinedSize(records) + cells.bytes.size() + JoinedSize(stringRecords) + 2048);
    std::vector<qint64> movedTo(records.size(), -1); // new stream position of each kept record
    auto putStrings = [&] {
        std::vector<qint64> stringOffsets;
        for (const BiffRecord& r : stringRecords) {
            stringOffsets.push_back(stream.size());
            PutRecord(stream, r.id, r.data);
        }
        const BiffRecord ext = strings.extSst(stringOffsets);
        PutRecord(stream, ext.id, ext.data);
    };
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i == insertAt_) {
            if (!dimensions_) {
                const BiffRecord dimensions = widenedDimensions(cells);
                PutRecord(stream, dimensions.id, dimensions.data);
            }
            stream.append(cells.bytes);
        }
        if (strings_ && i == sstIndex_) {
            putStrings();
            i += sstRecords_ - 1;
            continue;
        }
        if (!strings_ && i == globalsEof_)
            putStrings();
        if (drop_[i])
            continue;
        movedTo[i] = stream.size();
        if (dimensions_ && i == *dimensions_) {
            const BiffRecord dimensions = widenedDimensions(cells);
            PutRecord(stream, dimensions.id, dimensions.data);
        } else {
            PutRecord(stream, records[i].id, records[i].data);
        }
    }

    // Every record has its place now: point the sheet entries at their sheets.
    for (const SheetEntry& sheet : sheets_)
        SetU32(stream, movedTo[sheet.record] + 4, static_cast<quint32>(movedTo[sheet.bof]));

    // INDEX records of the other sheets point at records of their own sheet, all kept.
    QHash<qint64, std::size_t> oldIndexAt;
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (records[i].id != rec::kIndex || movedTo[i] < 0)
            continue;
        if (oldIndexAt.isEmpty())
            for (std::size_t k = 0; k < records.size(); ++k)
                oldIndexAt.insert(stream_.offsets[k], k);
        const QByteArray& data = records[i].data;
        for (qsizetype at = 12; at + 4 <= data.size(); at += 4) {
            const auto target = oldIndexAt.constFind(ReadU32(data, at));
            if (target != oldIndexAt.cend() && movedTo[*target] >= 0)
                SetU32(stream, movedTo[i] + 4 + at, static_cast<quint32>(movedTo[*target]));
        }
    }

    // Excel keeps a Workbook stream of at least 4096 bytes out of the small-block area.
    if (stream.size() < 4096)
        stream.append(QByteArray(4096 - stream.size(), '\0'));
    return stream;
}

} // namespace jotrak::xls
