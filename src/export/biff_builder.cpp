#include "export/biff_builder.h"

#include "export/byte_io.h"

#include <bit>

namespace jotrak::xls::build {

namespace {

constexpr quint16 kWriteAccess = 0x005C;
constexpr quint16 kBlackPalette = 8;
constexpr quint16 kDefaultColours = 64 | (65 << 7); // automatic foreground and background

bool IsLatin1(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x100)
            return false;
    return true;
}

// ShortXLUnicodeString (8-bit length) or XLUnicodeString (16-bit length).
void PutString(QByteArray& out, const QString& text, bool longLength)
{
    if (longLength)
        PutU16(out, static_cast<quint32>(text.size()));
    else
        PutU8(out, static_cast<quint32>(text.size()));
    const bool latin1 = IsLatin1(text);
    PutU8(out, latin1 ? 0 : 1);
    for (QChar c : text) {
        if (latin1)
            PutU8(out, c.unicode());
        else
            PutU16(out, c.unicode());
    }
}

BiffRecord Xf(quint16 font, quint16 flags, quint8 alignment, quint16 usedAttributes, quint32 border1, quint32 border2,
              quint16 colours)
{
    QByteArray d;
    PutU16(d, font);
    PutU16(d, 0); // number format: General
    PutU16(d, flags);
    PutU8(d, alignment);
    PutU8(d, 0); // rotation
    PutU16(d, usedAttributes);
    PutU32(d, border1);
    PutU32(d, border2);
    PutU16(d, colours);
    return BiffRecord{rec::kXf, d};
}

} // namespace

BiffRecord Bof(quint16 substream)
{
    QByteArray d;
    PutU16(d, kBiff8Version);
    PutU16(d, substream);
    PutU16(d, 0x0DBB); // build
    PutU16(d, 0x07CC); // year
    PutU32(d, 0x000100C1);
    PutU32(d, 0x00000406);
    return BiffRecord{rec::kBof, d};
}

BiffRecord Eof()
{
    return BiffRecord{rec::kEof, {}};
}

BiffRecord Word(quint16 id, quint16 value)
{
    QByteArray d;
    PutU16(d, value);
    return BiffRecord{id, d};
}

BiffRecord WriteAccess(const QString& user)
{
    QByteArray d;
    PutString(d, user.left(50), true);
    d.append(QByteArray(112 - d.size(), ' '));
    return BiffRecord{kWriteAccess, d};
}

BiffRecord Window1()
{
    QByteArray d;
    PutU16(d, 0);      // left
    PutU16(d, 0);      // top
    PutU16(d, 0x4000); // width
    PutU16(d, 0x2000); // height
    PutU16(d, 0x0038); // scroll bars and sheet tabs shown
    PutU16(d, 0);      // active sheet
    PutU16(d, 0);      // first visible tab
    PutU16(d, 1);      // selected sheets
    PutU16(d, 0x0258); // tab bar width ratio
    return BiffRecord{rec::kWindow1, d};
}

BiffRecord Font(int points, bool bold, const QString& face)
{
    QByteArray d;
    PutU16(d, static_cast<quint32>(points * 20));
    PutU16(d, 0);      // not italic, not struck out
    PutU16(d, 0x7FFF); // automatic colour
    PutU16(d, bold ? 700 : 400);
    PutU16(d, 0); // no super/subscript
    PutU8(d, 0);  // no underline
    PutU8(d, 0);  // family
    PutU8(d, IsLatin1(face) ? 0 : 134);
    PutU8(d, 0);
    PutString(d, face, false);
    return BiffRecord{rec::kFont, d};
}

BiffRecord CellXf(const XfStyle& style)
{
    const quint8 alignment =
        static_cast<quint8>((style.horizontal & 0x07) | (style.wrap ? 0x08 : 0) | ((style.vertical & 0x07) << 4));
    quint16 used = 0;
    if (style.font != 0)
        used |= 0x0800;
    if (alignment != 0x20)
        used |= 0x1000;
    quint32 border1 = 0;
    quint32 border2 = 0;
    if (style.thinBorder) {
        used |= 0x2000;
        border1 = 0x1111 | (kBlackPalette << 16) | (kBlackPalette << 23);
        border2 = kBlackPalette | (kBlackPalette << 7);
    }
    quint16 colours = kDefaultColours;
    if (style.fillColour != 0) {
        used |= 0x4000;
        border2 |= 1u << 26; // solid fill
        colours = static_cast<quint16>(style.fillColour | (65 << 7));
    }
    return Xf(style.font, 0x0001, alignment, used, border1, border2, colours);
}

std::vector<BiffRecord> StandardXfs()
{
    std::vector<BiffRecord> xfs;
    xfs.push_back(Xf(0, 0xFFF5, 0x20, 0x0000, 0, 0, kDefaultColours));
    for (int i = 1; i < 15; ++i) {
        const quint16 font = i <= 2 ? 1 : (i <= 4 ? 2 : 0);
        xfs.push_back(Xf(font, 0xFFF5, 0x20, 0xF400, 0, 0, kDefaultColours));
    }
    xfs.push_back(Xf(0, 0x0001, 0x20, 0x0000, 0, 0, kDefaultColours));
    return xfs;
}

BiffRecord NormalStyle()
{
    QByteArray d;
    PutU16(d, 0x8000); // built-in style on XF 0
    PutU8(d, 0);       // "Normal"
    PutU8(d, 0xFF);
    return BiffRecord{rec::kStyle, d};
}

BiffRecord BoundSheet(const QString& name)
{
    QByteArray d;
    PutU32(d, 0);
    PutU8(d, 0); // visible
    PutU8(d, 0); // worksheet
    PutString(d, name, false);
    return BiffRecord{rec::kBoundSheet, d};
}

BiffRecord ColInfo(int firstColumn, int lastColumn, int widthInChars, quint16 xf)
{
    QByteArray d;
    PutU16(d, firstColumn);
    PutU16(d, lastColumn);
    PutU16(d, static_cast<quint32>(widthInChars * 256));
    PutU16(d, xf);
    PutU16(d, 0x0002); // width set by the user
    PutU16(d, 0);
    return BiffRecord{rec::kColInfo, d};
}

BiffRecord DefaultRowHeight(int twips)
{
    QByteArray d;
    PutU16(d, 0);
    PutU16(d, static_cast<quint32>(twips));
    return BiffRecord{rec::kDefaultRowHeight, d};
}

BiffRecord Dimensions(int firstRow, int endRow, int firstColumn, int endColumn)
{
    QByteArray d;
    PutU32(d, static_cast<quint32>(firstRow));
    PutU32(d, static_cast<quint32>(endRow));
    PutU16(d, firstColumn);
    PutU16(d, endColumn);
    PutU16(d, 0);
    return BiffRecord{rec::kDimensions, d};
}

BiffRecord Row(int row, int firstColumn, int endColumn, int twips, bool customHeight)
{
    QByteArray d;
    PutU16(d, row);
    PutU16(d, firstColumn);
    PutU16(d, endColumn);
    PutU16(d, static_cast<quint32>(twips));
    PutU32(d, 0);
    PutU16(d, 0x0100 | (customHeight ? 0x0040 : 0));
    PutU16(d, 15);
    return BiffRecord{rec::kRow, d};
}

BiffRecord LabelSst(int row, int column, quint16 xf, quint32 sstIndex)
{
    QByteArray d;
    PutU16(d, row);
    PutU16(d, column);
    PutU16(d, xf);
    PutU32(d, sstIndex);
    return BiffRecord{rec::kLabelSst, d};
}

BiffRecord MulBlank(int row, int firstColumn, const std::vector<quint16>& xfs)
{
    QByteArray d;
    PutU16(d, row);
    PutU16(d, firstColumn);
    for (quint16 xf : xfs)
        PutU16(d, xf);
    PutU16(d, firstColumn + static_cast<int>(xfs.size()) - 1);
    return BiffRecord{rec::kMulBlank, d};
}

BiffRecord Number(int row, int column, quint16 xf, double value)
{
    QByteArray d;
    PutU16(d, row);
    PutU16(d, column);
    PutU16(d, xf);
    const quint64 bits = std::bit_cast<quint64>(value);
    PutU32(d, static_cast<quint32>(bits));
    PutU32(d, static_cast<quint32>(bits >> 32));
    return BiffRecord{rec::kNumber, d};
}

BiffRecord Window2(bool selected)
{
    QByteArray d;
    // grid lines, headers, zeros, automatic grid colour, outline symbols
    PutU16(d, 0x00B6 | (selected ? 0x0600 : 0));
    PutU16(d, 0);  // top row
    PutU16(d, 0);  // left column
    PutU32(d, 64); // grid colour
    PutU16(d, 0);  // zoom in page-break preview (default)
    PutU16(d, 0);  // zoom in normal view (default)
    PutU32(d, 0);
    return BiffRecord{rec::kWindow2, d};
}

BiffRecord MergedCell(int firstRow, int lastRow, int firstColumn, int lastColumn)
{
    QByteArray d;
    PutU16(d, 1);
    PutU16(d, firstRow);
    PutU16(d, lastRow);
    PutU16(d, firstColumn);
    PutU16(d, lastColumn);
    return BiffRecord{rec::kMergedCells, d};
}

QByteArray AssembleWorkbook(std::vector<BiffRecord> globals, const SharedStrings* strings,
                            const std::vector<std::vector<BiffRecord>>& sheets)
{
    std::size_t sstAt = 0;
    std::size_t sstCount = 0;
    if (strings) {
        const std::vector<BiffRecord> group = strings->records();
        sstAt = globals.size() - 1; // before the EOF
        sstCount = group.size();
        globals.insert(globals.begin() + static_cast<std::ptrdiff_t>(sstAt), group.begin(), group.end());
        globals.insert(globals.begin() + static_cast<std::ptrdiff_t>(sstAt + sstCount),
                       strings->extSst(std::vector<qint64>(sstCount, 0)));
    }
    std::vector<qint64> globalOffsets;
    qint64 position = JoinRecords(globals, &globalOffsets).size();
    std::size_t sheet = 0;
    for (BiffRecord& r : globals) {
        if (r.id != rec::kBoundSheet || sheet >= sheets.size())
            continue;
        SetU32(r.data, 0, static_cast<quint32>(position));
        position += JoinedSize(sheets[sheet++]);
    }
    if (strings) {
        const std::vector<qint64> groupOffsets(globalOffsets.begin() + static_cast<std::ptrdiff_t>(sstAt),
                                               globalOffsets.begin() + static_cast<std::ptrdiff_t>(sstAt + sstCount));
        globals[sstAt + sstCount] = strings->extSst(groupOffsets);
    }
    QByteArray stream = JoinRecords(globals);
    for (const auto& records : sheets)
        stream.append(JoinRecords(records));
    if (stream.size() < 4096)
        stream.append(QByteArray(4096 - stream.size(), '\0'));
    return stream;
}

} // namespace jotrak::xls::build
