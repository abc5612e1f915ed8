#include "export_test_support.h"

#include "data/statements.h"
#include "export/biff_builder.h"
#include "export/byte_io.h"
#include "export/compound_file.h"
#include "export/xls_template.h"

#include <freexl.h>

#include <QFile>

namespace jotrak::exporttest {

using namespace xls;
using namespace xls::build;

TestDatabase::TestDatabase()
{
    OpenDatabase(connection_, dir_.filePath(QStringLiteral("db.mdb")));
}

int TestDatabase::addGoal(Table goalTable, const QString& key, const Value& text)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::AnyRow(goalTable), connection_);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ming"), key);
    SetFieldValue(rs, QStringLiteral("nr"), text);
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    return id;
}

int TestDatabase::addItem(Table goalTable, int goalId, const Value& content, const Value& note, int isOk)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::AnyRow(ItemTableOf(goalTable)), connection_);
    AddNewRow(rs);
    SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
    SetFieldValue(rs, QStringLiteral("nr"), content);
    SetFieldValue(rs, QStringLiteral("wcqk"), note);
    SetFieldValue(rs, QStringLiteral("IsOk"), isOk);
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    return id;
}

void TestDatabase::addManyItems(Table goalTable, int goalId, int count, const QString& prefix)
{
    Transaction transaction(connection_);
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::AnyRow(ItemTableOf(goalTable)), connection_);
    for (int n = 0; n < count; ++n) {
        AddNewRow(rs);
        SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
        SetFieldValue(rs, QStringLiteral("nr"), prefix + QString::number(n));
        SetFieldValue(rs, QStringLiteral("IsOk"), n % 3 == 0 ? 1 : 0);
        StoreRow(rs);
    }
    CloseRecordset(rs);
    transaction.commit();
}

std::optional<SheetCells> ReadSheetWithFreeXl(const QString& path, const QString& sheetName, QString* error)
{
    auto fail = [error](const QString& text) -> std::optional<SheetCells> {
        if (error)
            *error = text;
        return std::nullopt;
    };
    const void* handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    struct Closer {
        const void* h;
        ~Closer()
        {
            if (h)
                freexl_close(h);
        }
    } closer{handle};
    if (rc != FREEXL_OK)
        return fail(QStringLiteral("freexl_open failed: %1").arg(rc));
    unsigned int sheets = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
        return fail(QStringLiteral("no sheet count"));
    for (unsigned short index = 0; index < sheets; ++index) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, index, &name) != FREEXL_OK || QString::fromUtf8(name) != sheetName)
            continue;
        if (freexl_select_active_worksheet(handle, index) != FREEXL_OK)
            return fail(QStringLiteral("cannot select sheet"));
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            return fail(QStringLiteral("no dimensions"));
        SheetCells cells(rows, std::vector<QString>(columns));
        for (unsigned int r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                    return fail(QStringLiteral("cell %1,%2 unreadable").arg(r).arg(c));
                switch (value.type) {
                case FREEXL_CELL_INT: cells[r][c] = QString::number(value.value.int_value); break;
                case FREEXL_CELL_DOUBLE: cells[r][c] = QString::number(value.value.double_value); break;
                case FREEXL_CELL_NULL: break;
                default: cells[r][c] = QString::fromUtf8(value.value.text_value); break;
                }
            }
        }
        return cells;
    }
    return fail(QStringLiteral("no sheet %1").arg(sheetName));
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray TemplateBytes()
{
    return TemplateFile();
}

QByteArray XlsFileWithStream(const QByteArray& workbookStream, const QString& streamName)
{
    CompoundEntry root;
    root.isStorage = true;
    root.children.push_back(CompoundEntry{streamName, false, workbookStream, {}, {}});
    return WriteCompoundFile(root).value_or(QByteArray());
}

namespace {

constexpr quint16 kFormat = 0x041E;
constexpr quint16 kCountry = 0x008C;
constexpr quint16 kDefColWidth = 0x0055;

void PutText(QByteArray& out, const QString& text, quint8 extraFlags = 0)
{
    PutU16(out, static_cast<quint32>(text.size()));
    PutU8(out, 0x01 | extraFlags);
    if (extraFlags & 0x08)
        PutU16(out, 2); // two formatting runs
    for (QChar c : text)
        PutU16(out, c.unicode());
    if (extraFlags & 0x08) {
        PutU16(out, 0); // from character 0: font 5
        PutU16(out, 5);
        PutU16(out, 2); // from character 2: font 0
        PutU16(out, 0);
    }
}

std::vector<BiffRecord> BasicGlobals(const std::vector<QString>& sheetNames)
{
    std::vector<BiffRecord> g = {Bof(kGlobalsSubstream), Word(rec::kCodePage, 1200), Window1()};
    for (int i = 0; i < 4; ++i)
        g.push_back(Font(10, false, QStringLiteral("Arial")));
    for (BiffRecord& xf : StandardXfs())
        g.push_back(std::move(xf));
    g.push_back(NormalStyle());
    for (const QString& name : sheetNames)
        g.push_back(BoundSheet(name));
    g.push_back(Eof());
    return g;
}

BiffRecord DbCell(quint32 backToFirstRow)
{
    QByteArray d;
    PutU32(d, backToFirstRow);
    PutU16(d, 0);
    return BiffRecord{rec::kDbCell, d};
}

BiffRecord Index(int firstRow, int endRow)
{
    QByteArray d;
    PutU32(d, 0);
    PutU32(d, static_cast<quint32>(firstRow));
    PutU32(d, static_cast<quint32>(endRow));
    PutU32(d, 0);
    PutU32(d, 0); // position of the DBCELL, set once the stream is laid out
    return BiffRecord{rec::kIndex, d};
}

// Points each INDEX at the first DBCELL after it.
void PointIndexesAtDbCells(QByteArray& stream)
{
    const std::optional<RecordStream> split = SplitRecords(stream, nullptr);
    for (std::size_t i = 0; split && i < split->records.size(); ++i) {
        if (split->records[i].id != rec::kIndex)
            continue;
        for (std::size_t k = i + 1; k < split->records.size(); ++k) {
            if (split->records[k].id == rec::kDbCell) {
                SetU32(stream, split->offsets[i] + 4 + 16, static_cast<quint32>(split->offsets[k]));
                break;
            }
        }
    }
}

} // namespace

QByteArray RestyledTemplateStream()
{
    const QString title = QString::fromUtf8("工作细项(修改版)");
    const QStringList headers = {QString::fromUtf8("目标"), QString::fromUtf8("工作内容"),
                                 QString::fromUtf8("完成情况"), QString::fromUtf8("是否完成")};
    // Strings 0-7 are referenced by cells; fillers push the table past one record.
    QByteArray sst;
    PutU32(sst, 0);
    PutU32(sst, 0);
    quint32 unique = 0;
    PutText(sst, title, 0x08);
    ++unique;
    for (const QString& h : headers) {
        PutText(sst, h);
        ++unique;
    }
    for (const char* s : {"OK", "封面内容", "备注内容"}) {
        PutText(sst, QString::fromUtf8(s));
        ++unique;
    }
    while (sst.size() < 8000) {
        PutText(sst, QString::fromUtf8("填充字符串%1").arg(unique));
        ++unique;
    }
    // One string split across the CONTINUE record: 4 characters here, 6 there.
    const QString split = QString::fromUtf8("跨记录的字符串测试用例");
    PutU16(sst, static_cast<quint32>(split.size()));
    PutU8(sst, 0x01);
    for (int i = 0; i < 4; ++i)
        PutU16(sst, split[i].unicode());
    ++unique;
    QByteArray cont;
    PutU8(cont, 0x01);
    for (int i = 4; i < split.size(); ++i)
        PutU16(cont, split[i].unicode());
    for (int i = 0; i < 50; ++i) {
        PutText(cont, QString::fromUtf8("续表字符串%1").arg(unique));
        ++unique;
    }
    SetU32(sst, 0, 7);
    SetU32(sst, 4, unique);
    QByteArray staleExtSst;
    PutU16(staleExtSst, 8);
    PutU32(staleExtSst, 12345);
    PutU16(staleExtSst, 99);
    PutU16(staleExtSst, 0);

    std::vector<BiffRecord> globals = {Bof(kGlobalsSubstream), Window1(), Word(rec::kCodePage, 1200)};
    for (int i = 0; i < 4; ++i)
        globals.push_back(Font(10, false, QStringLiteral("Arial")));
    globals.push_back(Font(14, true, QString::fromUtf8("黑体")));
    QByteArray format;
    PutU16(format, 164);
    PutU16(format, 3);
    PutU8(format, 0);
    format.append("0.0");
    globals.push_back(BiffRecord{kFormat, format});
    for (BiffRecord& xf : StandardXfs())
        globals.push_back(std::move(xf));
    globals.push_back(CellXf(XfStyle{.font = 0, .horizontal = 0, .vertical = 0, .wrap = true}));       // 16
    globals.push_back(CellXf(XfStyle{.font = 0, .horizontal = 2, .vertical = 1, .thinBorder = true})); // 17
    globals.push_back(NormalStyle());
    globals.push_back(BoundSheet(QString::fromUtf8("封面")));
    globals.push_back(BoundSheet(QStringLiteral("Sheet1")));
    globals.push_back(BoundSheet(QString::fromUtf8("备注")));
    QByteArray country;
    PutU16(country, 86);
    PutU16(country, 86);
    globals.push_back(BiffRecord{kCountry, country});
    globals.push_back(BiffRecord{rec::kSst, sst});
    globals.push_back(BiffRecord{rec::kContinue, cont});
    globals.push_back(BiffRecord{rec::kExtSst, staleExtSst});
    globals.push_back(Eof());

    const std::vector<BiffRecord> cover = {
        Bof(kWorksheetSubstream), Index(0, 1), Dimensions(0, 1, 0, 1), Row(0, 0, 1, 255, false),
        LabelSst(0, 0, 15, 6),    DbCell(30),  Window2(false),         Eof()};
    std::vector<BiffRecord> sheet1 = {Bof(kWorksheetSubstream), Index(0, 7),           Word(kDefColWidth, 8),
                                      ColInfo(0, 0, 14, 15),    ColInfo(1, 1, 50, 16), ColInfo(2, 3, 20, 15),
                                      Dimensions(0, 7, 0, 5)};
    for (int r = 0; r < 7; ++r)
        sheet1.push_back(Row(r, 0, r < 2 ? 4 : 5, 300, true));
    sheet1.push_back(LabelSst(0, 0, 15, 0));
    sheet1.push_back(Number(0, 1, 15, 42));
    for (int c = 0; c < 4; ++c)
        sheet1.push_back(LabelSst(1, c, 15, static_cast<quint32>(1 + c)));
    for (int r = 2; r < 7; ++r)
        sheet1.push_back(MulBlank(r, 0, std::vector<quint16>(5, kRestyledBlankXf)));
    sheet1.push_back(DbCell(200));
    sheet1.push_back(Window2(true));
    sheet1.push_back(Eof());
    const std::vector<BiffRecord> notes = {Bof(kWorksheetSubstream), Dimensions(0, 1, 0, 1), Row(0, 0, 1, 255, false),
                                           LabelSst(0, 0, 15, 7),    Window2(false),         Eof()};

    QByteArray stream = AssembleWorkbook(std::move(globals), nullptr, {cover, sheet1, notes});
    PointIndexesAtDbCells(stream);
    return stream;
}

QByteArray TemplateWithValueBelowStream()
{
    SharedStrings strings;
    const quint32 title = strings.intern(QString::fromUtf8("标题"));
    const quint32 below = strings.intern(QString::fromUtf8("备注行"));
    strings.addReferences(2);
    const std::vector<BiffRecord> sheet = {Bof(kWorksheetSubstream),
                                           Dimensions(0, 6, 0, 1),
                                           Row(0, 0, 1, 255, false),
                                           Row(5, 0, 1, 255, false),
                                           LabelSst(0, 0, 15, title),
                                           LabelSst(5, 0, 15, below),
                                           Window2(true),
                                           Eof()};
    return AssembleWorkbook(BasicGlobals({QStringLiteral("Sheet1")}), &strings, {sheet});
}

QByteArray TemplateWithoutStringsStream()
{
    const std::vector<BiffRecord> sheet = {Bof(kWorksheetSubstream), Dimensions(0, 0, 0, 0), Window2(true), Eof()};
    return AssembleWorkbook(BasicGlobals({QStringLiteral("Sheet1")}), nullptr, {sheet});
}

} // namespace jotrak::exporttest
