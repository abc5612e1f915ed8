// Writes spreadsheet exports and what they must hold (expected.json) into a
// folder, for check_with_xlrd.py to read back with Python's xlrd.

#include "xls_samples.h"

#include "support/bytes.h"
#include "support/database.h"

#include "export/excel_export.h"
#include "export/xls_template.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace jotrak;
using namespace jotrak::test;

namespace {

using Rows = std::vector<std::vector<QString>>;

QJsonArray ToJson(const Rows& rows)
{
    QJsonArray out;
    for (const auto& row : rows)
        out.append(QJsonArray::fromStringList(QStringList(row.begin(), row.end())));
    return out;
}

Rows WithTemplate(const Rows& data)
{
    Rows rows = {{"Jotrak 工作细项导出", {}, {}, {}}, {"目标", "工作内容", "完成情况", "是否完成"}};
    rows.insert(rows.end(), data.begin(), data.end());
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    TempDb db(true);
    ConnectionHolder& c = db.connection;
    const QString plain = db.dir.filePath(QStringLiteral("1.xls"));
    const QString restyled = db.dir.filePath(QStringLiteral("restyled.xls"));
    WriteBytes(plain, xls::TemplateFile());
    WriteBytes(restyled, XlsFileWithStream(RestyledTemplateStream()));
    QJsonArray cases;
    bool ok = true;
    const auto add = [&](const char* name, Table table, const char* from, const char* to, int filter,
                         const QJsonObject& sheets, const QString& templatePath, const QJsonArray& formats = {}) {
        const QString file = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".xls"));
        const ExportResult result = ExportItemsToExcel(c, table, QString::fromLatin1(from), QString::fromLatin1(to),
                                                       filter, templatePath, file);
        if (!result)
            std::fprintf(stderr, "%s: %s\n", name, qPrintable(result.message));
        ok = ok && result;
        cases.append(QJsonObject{{"file", file}, {"sheets", sheets}, {"formats", formats}});
    };

    // Items of three day goals, one without items.
    const int first = GoalId(c, Table::Ri, QStringLiteral("20180101"));
    AddItem(c, Table::Ri, first, QStringLiteral("写年度计划"), QStringLiteral("已写完"), true);
    AddItem(c, Table::Ri, first, QStringLiteral("整理文件"));
    AddItem(c, Table::Ri, GoalId(c, Table::Ri, QStringLiteral("20180103")), QStringLiteral("review"), QString(), true);
    AddItem(c, Table::Ri, GoalId(c, Table::Ri, QStringLiteral("20180104")), QStringLiteral("outside"));
    const Rows all = {{"20180101", "写年度计划", "已写完", "OK"},
                      {"20180101", "整理文件", {}, "未完成"},
                      {"20180103", "review", {}, "OK"}};
    add("all", Table::Ri, "20180101", "20180103", kExportAllItems, {{"Sheet1", ToJson(WithTemplate(all))}}, plain);
    add("done", Table::Ri, "20180101", "20180103", kExportDoneItems,
        {{"Sheet1", ToJson(WithTemplate({all[0], all[2]}))}}, plain);
    add("open", Table::Ri, "20180101", "20180103", kExportOpenItems, {{"Sheet1", ToJson(WithTemplate({all[1]}))}},
        plain);

    // Long, Chinese and non-BMP texts, one cut at a cell's limit; a string table of many records.
    const int month = GoalId(c, Table::Yue, QStringLiteral("201803"));
    const QString longChinese = QStringLiteral("长文本测试。").repeated(1700);
    const QString mixed = QStringLiteral("emoji 😀 and 𠀀, ünïcödé\n第二行");
    AddItem(c, Table::Yue, month, longChinese, mixed, true);
    AddItem(c, Table::Yue, month, QStringLiteral("超").repeated(40000));
    Rows texts = {{"201803", longChinese, mixed, "OK"}, {"201803", QStringLiteral("超").repeated(32767), {}, "未完成"}};
    for (int i = 0; i < 1500; ++i) {
        const QString content = i % 2 ? QStringLiteral("第%1项工作内容").arg(i).repeated(1 + i % 5)
                                      : QStringLiteral("item %1 ").arg(i).repeated(1 + i % 9);
        AddItem(c, Table::Yue, month, content, QString::number(i));
        texts.push_back({"201803", content, QString::number(i), "未完成"});
    }
    add("texts", Table::Yue, "201803", "201803", kExportAllItems, {{"Sheet1", ToJson(WithTemplate(texts))}}, plain);

    // A sheet filled to its last row.
    const int year = GoalId(c, Table::Nian, QStringLiteral("2018"));
    Rows full;
    {
        Transaction t(c);
        for (int n = 0; n < 65534; ++n) {
            AddItem(c, Table::Nian, year, QStringLiteral("item %1").arg(n), {}, n % 3 == 0);
            full.push_back({"2018", QStringLiteral("item %1").arg(n), {}, n % 3 == 0 ? "OK" : "未完成"});
        }
        t.commit();
    }
    add("full", Table::Nian, "2018", "2018", kExportAllItems, {{"Sheet1", ToJson(WithTemplate(full))}}, plain);

    // The restyled template: other sheets, formats and strings kept; new texts take
    // the format of the blank cells they land on, else their column's.
    const int day = GoalId(c, Table::Ri, QStringLiteral("20180301"));
    Rows styled = {{"工作细项(修改版)", "42"}, {"目标", "工作内容", "完成情况", "是否完成"}};
    QJsonArray formats = {QJsonArray{5, 4, kRestyledBlankXf}}; // a blank not written over stays
    for (int i = 0; i < 8; ++i) {
        AddItem(c, Table::Ri, day, QStringLiteral("细项%1").arg(i), QStringLiteral("OK"), i % 2 == 1);
        styled.push_back({"20180301", QStringLiteral("细项%1").arg(i), "OK", i % 2 ? "OK" : "未完成"});
        for (int column = 0; column < 4; ++column)
            formats.append(QJsonArray{2 + i, column, 2 + i < 7 ? kRestyledBlankXf : (column == 1 ? 16 : 15)});
    }
    add("restyled", Table::Ri, "20180301", "20180301", kExportAllItems,
        {{"Sheet1", ToJson(styled)}, {"封面", ToJson({{"封面内容"}})}, {"备注", ToJson({{"备注内容"}})}}, restyled,
        formats);

    QFile expected(folder.filePath(QStringLiteral("expected.json")));
    return ok && expected.open(QIODevice::WriteOnly) && expected.write(QJsonDocument(cases).toJson()) > 0 ? 0 : 1;
}
