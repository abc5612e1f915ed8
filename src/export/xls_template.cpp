#include "export/xls_template.h"

#include "export/biff_builder.h"
#include "export/compound_file.h"

namespace jotrak::xls {

namespace {

constexpr quint16 kInterfaceHdr = 0x00E1;
constexpr quint16 kMms = 0x00C1;
constexpr quint16 kInterfaceEnd = 0x00E2;
constexpr quint16 kDsf = 0x0161;
constexpr quint16 kTabId = 0x013D;
constexpr quint16 kWindowProtect = 0x0019;
constexpr quint16 kProtect = 0x0012;
constexpr quint16 kPassword = 0x0013;
constexpr quint16 kProt4Rev = 0x01AF;
constexpr quint16 kProt4RevPass = 0x01BC;
constexpr quint16 kBackup = 0x0040;
constexpr quint16 kHideObj = 0x008D;
constexpr quint16 kDateMode = 0x0022;
constexpr quint16 kPrecision = 0x000E;
constexpr quint16 kBookBool = 0x00DA;
constexpr quint16 kUsesElfs = 0x0160;
constexpr quint16 kCalcMode = 0x000D;
constexpr quint16 kCalcCount = 0x000C;
constexpr quint16 kRefMode = 0x000F;
constexpr quint16 kIteration = 0x0011;
constexpr quint16 kSaveRecalc = 0x005F;
constexpr quint16 kPrintHeaders = 0x002A;
constexpr quint16 kPrintGridLines = 0x002B;
constexpr quint16 kGridSet = 0x0082;
constexpr quint16 kWsBool = 0x0081;
constexpr quint16 kDefColWidth = 0x0055;
constexpr quint16 kUtf16CodePage = 1200;

// Cell formats after the 16 standard ones.
constexpr quint16 kTitleXf = 16;
constexpr quint16 kHeaderXf = 17;
constexpr quint8 kSilver = 22;

const char* const kTitle = "Jotrak 工作细项导出";
const char* const kHeaders[] = {"目标", "工作内容", "完成情况", "是否完成"};
constexpr int kColumnWidths[] = {12, 60, 40, 10};

} // namespace

QByteArray TemplateWorkbookStream()
{
    using namespace build;
    const QString face = QString::fromUtf8("宋体");
    SharedStrings strings;
    const quint32 title = strings.intern(QString::fromUtf8(kTitle));
    std::vector<quint32> headers;
    for (const char* text : kHeaders)
        headers.push_back(strings.intern(QString::fromUtf8(text)));
    strings.addReferences(1 + static_cast<quint32>(headers.size()));

    std::vector<BiffRecord> globals = {Bof(kGlobalsSubstream),
                                       Word(kInterfaceHdr, kUtf16CodePage),
                                       Word(kMms, 0),
                                       BiffRecord{kInterfaceEnd, {}},
                                       WriteAccess(QStringLiteral("Jotrak")),
                                       Word(rec::kCodePage, kUtf16CodePage),
                                       Word(kDsf, 0),
                                       Word(kTabId, 1),
                                       Word(kWindowProtect, 0),
                                       Word(kProtect, 0),
                                       Word(kPassword, 0),
                                       Word(kProt4Rev, 0),
                                       Word(kProt4RevPass, 0),
                                       Window1(),
                                       Word(kBackup, 0),
                                       Word(kHideObj, 0),
                                       Word(kDateMode, 0),
                                       Word(kPrecision, 1),
                                       Word(kBookBool, 0)};
    // Fonts 0-3 are the standard ones; the fifth written is font 5 (index 4 does not exist).
    for (int i = 0; i < 4; ++i)
        globals.push_back(Font(11, false, face));
    globals.push_back(Font(16, true, face)); // 5: title
    globals.push_back(Font(11, true, face)); // 6: header
    for (BiffRecord& xf : StandardXfs())
        globals.push_back(std::move(xf));
    globals.push_back(CellXf(XfStyle{.font = 5, .horizontal = 2, .vertical = 1}));
    globals.push_back(
        CellXf(XfStyle{.font = 6, .horizontal = 2, .vertical = 1, .thinBorder = true, .fillColour = kSilver}));
    globals.push_back(NormalStyle());
    globals.push_back(Word(kUsesElfs, 0));
    globals.push_back(BoundSheet(QStringLiteral("Sheet1")));
    globals.push_back(Eof());

    std::vector<BiffRecord> sheet = {Bof(kWorksheetSubstream), Word(kCalcMode, 1),       Word(kCalcCount, 100),
                                     Word(kRefMode, 1),        Word(kIteration, 0),      Word(kSaveRecalc, 1),
                                     Word(kPrintHeaders, 0),   Word(kPrintGridLines, 0), Word(kGridSet, 1),
                                     DefaultRowHeight(285),    Word(kWsBool, 0x04C1),    Word(kDefColWidth, 8)};
    for (int c = 0; c < 4; ++c)
        sheet.push_back(ColInfo(c, c, kColumnWidths[c], 15));
    sheet.push_back(Dimensions(0, 2, 0, 4));
    sheet.push_back(Row(0, 0, 4, 480, true));
    sheet.push_back(Row(1, 0, 4, 360, true));
    sheet.push_back(LabelSst(0, 0, kTitleXf, title));
    sheet.push_back(MulBlank(0, 1, {kTitleXf, kTitleXf, kTitleXf}));
    for (int c = 0; c < 4; ++c)
        sheet.push_back(LabelSst(1, c, kHeaderXf, headers[static_cast<std::size_t>(c)]));
    sheet.push_back(Window2(true));
    sheet.push_back(MergedCell(0, 0, 0, 3));
    sheet.push_back(Eof());

    return AssembleWorkbook(std::move(globals), &strings, {sheet});
}

QByteArray TemplateFile()
{
    CompoundEntry root;
    root.isStorage = true;
    // the class id of an Excel 97-2003 workbook
    root.clsid = {0x20, 0x08, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
    root.children.push_back(CompoundEntry{QStringLiteral("Workbook"), false, TemplateWorkbookStream(), {}, {}});
    return WriteCompoundFile(root).value_or(QByteArray());
}

} // namespace jotrak::xls
