#include "xls_samples.h"
#include "support/bytes.h"
#include "support/database.h"
#include "export/biff_builder.h"
#include "export/byte_io.h"
#include "export/compound_file.h"
#include "export/excel_export.h"
#include "export/shared_strings.h"
#include "export/xls_template.h"

#include <freexl.h>

#include <QFile>

namespace jotrak::test {

constexpr int kRestyledBlankXf = 17;

using namespace xls;
using namespace xls::build;

std::optional<SheetCells> ReadSheetWithFreeXl(const QString& path, const QString& sheet)
{
    const void* handle = nullptr;
    const int opened = freexl_open(QFile::encodeName(path).constData(), &handle);
    std::unique_ptr<const void, int (*)(const void*)> closer(handle, freexl_close);
    unsigned int sheets = 0;
    if (opened != FREEXL_OK || freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets) != FREEXL_OK)
        return std::nullopt;
    for (unsigned short index = 0; index < sheets; ++index) {
        const char* name = nullptr;
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_get_worksheet_name(handle, index, &name) != FREEXL_OK || QString::fromUtf8(name) != sheet ||
            freexl_select_active_worksheet(handle, index) != FREEXL_OK ||
            freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
            continue;
        SheetCells cells(rows, std::vector<QString>(columns));
        for (unsigned int r = 0; r < rows; ++r)
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK)
                    return std::nullopt;
                if (value.type == FREEXL_CELL_INT)
                    cells[r][c] = QString::number(value.value.int_value);
                else if (value.type == FREEXL_CELL_DOUBLE)
                    cells[r][c] = QString::number(value.value.double_value);
                else if (value.type != FREEXL_CELL_NULL)
                    cells[r][c] = QString::fromUtf8(value.value.text_value);
            }
        return cells;
    }
    return std::nullopt;
}

QByteArray XlsFileWithStream(const QByteArray& stream, const QString& streamName)
{
    CompoundEntry root;
    root.isStorage = true;
    root.children.push_back(CompoundEntry{streamName, false, stream, {}, {}});
    return WriteCompoundFile(root).value_or(QByteArray());
}

namespace {

// A UTF-16 string of the table; rich: two formatting runs (font 5, then 0).
void PutText(QByteArray& out, const QString& text, bool rich = false)
{
    PutU16(out, static_cast<quint32>(text.size()));
    PutU8(out, rich ? 0x09 : 0x01);
    if (rich)
        PutU16(out, 2);
    for (QChar c : text)
        PutU16(out, c.unicode());
    for (quint16 run : {0, 5, 2, 0})
        if (rich)
            PutU16(out, run);
}

BiffRecord Body(quint16 id, std::initializer_list<quint32> words32, std::initializer_list<quint16> words16 = {})
{
    QByteArray d;
    for (quint32 w : words32)
        PutU32(d, w);
    for (quint16 w : words16)
        PutU16(d, w);
    return BiffRecord{id, d};
}

// Fonts, formats and the sheet entries; extra fonts and formats follow the usual ones.
std::vector<BiffRecord> Globals(const std::vector<BiffRecord>& fonts, const std::vector<BiffRecord>& xfs,
                                const std::vector<QString>& sheets)
{
    std::vector<BiffRecord> g = {Bof(kGlobalsSubstream), Window1(), Word(rec::kCodePage, 1200)};
    for (int i = 0; i < 4; ++i)
        g.push_back(Font(10, false, QStringLiteral("Arial")));
    g.insert(g.end(), fonts.begin(), fonts.end());
    for (BiffRecord& xf : StandardXfs())
        g.push_back(std::move(xf));
    g.insert(g.end(), xfs.begin(), xfs.end());
    g.push_back(NormalStyle());
    for (const QString& name : sheets)
        g.push_back(BoundSheet(name));
    return g;
}

} // namespace

QByteArray RestyledTemplateStream()
{
    QByteArray sst = QByteArray(8, '\0');
    PutText(sst, QStringLiteral("工作细项(修改版)"), true);
    for (const char* s : {"目标", "工作内容", "完成情况", "是否完成", "OK", "封面内容", "备注内容"})
        PutText(sst, QString::fromUtf8(s));
    quint32 unique = 8;
    for (; sst.size() < 8000; ++unique)
        PutText(sst, QStringLiteral("填充字符串%1").arg(unique));
    const QString split = QStringLiteral("跨记录的字符串测试用例"); // 4 characters here, 6 in CONTINUE
    PutU16(sst, static_cast<quint32>(split.size()));
    PutU8(sst, 0x01);
    QByteArray cont;
    PutU8(cont, 0x01);
    for (int i = 0; i < split.size(); ++i)
        PutU16(i < 4 ? sst : cont, split[i].unicode());
    for (int i = 0; i < 50; ++i)
        PutText(cont, QStringLiteral("续表字符串%1").arg(++unique));
    SetU32(sst, 0, 7);
    SetU32(sst, 4, ++unique);
    std::vector<BiffRecord> globals =
        Globals({Font(14, true, QStringLiteral("黑体")), BiffRecord{0x041E, QByteArray::fromHex("a400030000302e30")}},
                {CellXf(XfStyle{.font = 0, .horizontal = 0, .vertical = 0, .wrap = true}),
                 CellXf(XfStyle{.font = 0, .horizontal = 2, .vertical = 1, .thinBorder = true})},
                {QStringLiteral("封面"), QStringLiteral("Sheet1"), QStringLiteral("备注")});
    for (BiffRecord r : {Body(0x008C, {}, {86, 86}), BiffRecord{rec::kSst, sst}, BiffRecord{rec::kContinue, cont},
                         Body(rec::kExtSst, {12345}, {8, 99, 0}), Eof()})
        globals.push_back(std::move(r));
    const auto index = [](int endRow) { return Body(rec::kIndex, {0, 0, static_cast<quint32>(endRow), 0, 0}); };
    const std::vector<BiffRecord> cover = {Bof(kWorksheetSubstream), index(1),
                                           Dimensions(0, 1, 0, 1),   Row(0, 0, 1, 255, false),
                                           LabelSst(0, 0, 15, 6),    Body(rec::kDbCell, {30}, {0}),
                                           Window2(false),           Eof()};
    std::vector<BiffRecord> sheet1 = {Bof(kWorksheetSubstream), index(7),
                                      Word(0x0055, 8),          ColInfo(0, 0, 14, 15),
                                      ColInfo(1, 1, 50, 16),    ColInfo(2, 3, 20, 15),
                                      Dimensions(0, 7, 0, 5)};
    for (int r = 0; r < 7; ++r)
        sheet1.push_back(Row(r, 0, r < 2 ? 4 : 5, 300, true));
    sheet1.push_back(LabelSst(0, 0, 15, 0));
    sheet1.push_back(Number(0, 1, 15, 42));
    for (int c = 0; c < 4; ++c)
        sheet1.push_back(LabelSst(1, c, 15, static_cast<quint32>(1 + c)));
    for (int r = 2; r < 7; ++r)
        sheet1.push_back(MulBlank(r, 0, std::vector<quint16>(5, kRestyledBlankXf)));
    for (BiffRecord r : {Body(rec::kDbCell, {200}, {0}), Window2(true), Eof()})
        sheet1.push_back(std::move(r));
    const std::vector<BiffRecord> notes = {Bof(kWorksheetSubstream), Dimensions(0, 1, 0, 1), Row(0, 0, 1, 255, false),
                                           LabelSst(0, 0, 15, 7),    Window2(false),         Eof()};
    QByteArray stream = AssembleWorkbook(std::move(globals), nullptr, {cover, sheet1, notes});
    // Each INDEX points at the first DBCELL after it.
    const std::optional<RecordStream> records = SplitRecords(stream, nullptr);
    for (std::size_t i = 0; i < records->records.size(); ++i)
        for (std::size_t k = i + 1; records->records[i].id == rec::kIndex && k < records->records.size(); ++k)
            if (records->records[k].id == rec::kDbCell) {
                SetU32(stream, records->offsets[i] + 4 + 16, static_cast<quint32>(records->offsets[k]));
                break;
            }
    return stream;
}

namespace {

// Sheet1 without a string table, holding the number 7 in A6: new rows go below it.
QByteArray TemplateWithNumberBelowStream()
{
    std::vector<BiffRecord> globals = Globals({}, {}, {QStringLiteral("Sheet1")});
    globals.push_back(Eof());
    return AssembleWorkbook(std::move(globals), nullptr,
                            {{Bof(kWorksheetSubstream), Dimensions(5, 6, 0, 1), Row(5, 0, 1, 255, false),
                              Number(5, 0, 15, 7), Window2(true), Eof()}});
}

SheetCells WithTemplate(const SheetCells& data)
{
    SheetCells rows = {{"Jotrak 工作细项导出", {}, {}, {}}, {"目标", "工作内容", "完成情况", "是否完成"}};
    rows.insert(rows.end(), data.begin(), data.end());
    return rows;
}

} // namespace

std::optional<std::vector<XlsSample>> WriteXlsSamples(const QDir& folder)
{
    TempDb db(true);
    ConnectionHolder& c = db.connection;
    std::vector<XlsSample> samples;
    bool ok = true;
    const auto add = [&](const char* name, Table table, const char* from, const char* to,
                         const QByteArray& templateFile, std::map<QString, SheetCells> sheets,
                         std::vector<std::array<int, 3>> formats = {}) {
        const QString templatePath = db.dir.filePath(QStringLiteral("template.xls"));
        const QString file = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".xls"));
        ok = ok && WriteBytes(templatePath, templateFile) &&
             ExportItemsToExcel(c, table, QString::fromLatin1(from), QString::fromLatin1(to), kExportAllItems,
                                templatePath, file);
        samples.push_back({file, std::move(sheets), std::move(formats)});
    };
    const auto item = [&](Table table, const char* key, const QString& content, const QString& note, bool done) {
        AddItem(c, table, GoalId(c, table, QString::fromLatin1(key)), content, note, done);
        return std::vector<QString>{QString::fromLatin1(key), content, note, done ? "OK" : "未完成"};
    };

    // Items of three day goals, one without items, both ends of the range included.
    SheetCells all = {item(Table::Ri, "20180101", QStringLiteral("写年度计划"), QStringLiteral("已写完"), true),
                      item(Table::Ri, "20180101", QStringLiteral("整理文件"), {}, false),
                      item(Table::Ri, "20180103", QStringLiteral("review"), {}, true)};
    item(Table::Ri, "20180104", QStringLiteral("outside"), {}, false);
    add("all", Table::Ri, "20180101", "20180103", TemplateFile(), {{QStringLiteral("Sheet1"), WithTemplate(all)}});

    // Long, Chinese and non-BMP texts, one cut at a cell's limit; a string table of many records.
    SheetCells texts = {item(Table::Yue, "201803", QStringLiteral("长文本测试。").repeated(1700),
                             QStringLiteral("emoji 😀 and 𠀀, ünïcödé\n第二行"), true),
                        item(Table::Yue, "201803", QStringLiteral("超").repeated(40000), {}, false)};
    texts[1][1].truncate(32767);
    Transaction batch(c);
    for (int i = 0; i < 1500; ++i)
        texts.push_back(item(Table::Yue, "201803",
                             i % 2 ? QStringLiteral("第%1项工作内容").arg(i).repeated(1 + i % 5)
                                   : QStringLiteral("item %1 ").arg(i).repeated(1 + i % 9),
                             QString::number(i), false));
    // A sheet filled to its last row, in a file past the 109 sectors of FAT that the header itself can list.
    SheetCells full;
    for (int n = 0; n < 65534; ++n)
        full.push_back(item(Table::Nian, "2018",
                            QStringLiteral("item %1 of a full sheet, long enough to fill many sectors").arg(n), {},
                            n % 3 == 0));
    batch.commit();
    add("texts", Table::Yue, "201803", "201803", TemplateFile(), {{QStringLiteral("Sheet1"), WithTemplate(texts)}});
    add("full", Table::Nian, "2018", "2018", TemplateFile(), {{QStringLiteral("Sheet1"), WithTemplate(full)}});

    // Other templates: sheets, formats, strings kept; new texts take the blank cell's format, else the column's.
    SheetCells styled = {{"工作细项(修改版)", "42"}, {"目标", "工作内容", "完成情况", "是否完成"}};
    std::vector<std::array<int, 3>> formats = {{5, 4, kRestyledBlankXf}}; // a blank not written over stays
    for (int i = 0; i < 8; ++i) {
        styled.push_back(item(Table::Ri, "20180301", QStringLiteral("细项%1").arg(i), QStringLiteral("OK"), i % 2));
        for (int column = 0; column < 4; ++column)
            formats.push_back({2 + i, column, 2 + i < 7 ? kRestyledBlankXf : (column == 1 ? 16 : 15)});
    }
    add("restyled", Table::Ri, "20180301", "20180301", XlsFileWithStream(RestyledTemplateStream()),
        {{QStringLiteral("Sheet1"), styled},
         {QStringLiteral("封面"), {{"封面内容"}}},
         {QStringLiteral("备注"), {{"备注内容"}}}},
        formats);
    const std::vector<QString> row = item(Table::Nian, "2019", QStringLiteral("a"), QStringLiteral("b"), true);
    add("below", Table::Nian, "2019", "2019", XlsFileWithStream(TemplateWithNumberBelowStream()),
        {{QStringLiteral("Sheet1"), {{}, {}, {}, {}, {}, {"7"}, row}}});
    return ok ? std::optional(samples) : std::nullopt;
}

} // namespace jotrak::test
