// Writes spreadsheet exports and what they must hold (expected.json) into a
// folder, for check_with_xlrd.py to read back with Python's xlrd.

#include "export_test_support.h"

#include "export/excel_export.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

using namespace jotrak;
using namespace jotrak::exporttest;

namespace {

using Rows = std::vector<std::vector<QString>>;

QJsonArray ToJson(const Rows& rows)
{
    QJsonArray out;
    for (const auto& row : rows) {
        QJsonArray cells;
        for (const QString& cell : row)
            cells.append(cell);
        out.append(cells);
    }
    return out;
}

Rows TemplateRows()
{
    return {{QString::fromUtf8("Jotrak 工作细项导出"), {}, {}, {}},
            {QString::fromUtf8("目标"), QString::fromUtf8("工作内容"), QString::fromUtf8("完成情况"),
             QString::fromUtf8("是否完成")}};
}

class Samples {
public:
    explicit Samples(const QString& folder) : folder_(folder) {}

    // Exports into <name>.xls and records the expected cells of each sheet.
    bool add(const QString& name, TestDatabase& db, Table table, const QString& from, const QString& to, int filter,
             const QString& templatePath, const QJsonObject& sheets, const QJsonArray& formats = {})
    {
        const QString file = QDir(folder_).filePath(name + QStringLiteral(".xls"));
        const ExportResult result = ExportItemsToExcel(db.connection(), table, from, to, filter, templatePath, file);
        if (!result) {
            std::fprintf(stderr, "%s: %s\n", qPrintable(name), qPrintable(result.message));
            return false;
        }
        cases_.append(QJsonObject{
            {QStringLiteral("file"), file}, {QStringLiteral("sheets"), sheets}, {QStringLiteral("formats"), formats}});
        return true;
    }

    bool save() const
    {
        QFile out(QDir(folder_).filePath(QStringLiteral("expected.json")));
        return out.open(QIODevice::WriteOnly) && out.write(QJsonDocument(cases_).toJson()) > 0;
    }

private:
    QString folder_;
    QJsonArray cases_;
};

const QString kOk = QStringLiteral("OK");
const QString kOpen = QString::fromUtf8("未完成");

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QString folder = QString::fromLocal8Bit(argv[1]);
    Samples samples(folder);
    TestDatabase db;
    const QString templatePath = db.path(QStringLiteral("1.xls"));
    WriteFileBytes(templatePath, TemplateBytes());
    bool ok = true;

    // Items of three day goals, one without items; NULL and empty notes.
    const int first = db.addGoal(Table::Ri, QStringLiteral("20180101"));
    db.addItem(Table::Ri, first, QString::fromUtf8("写年度计划"), QString::fromUtf8("已写完"), 1);
    db.addItem(Table::Ri, first, QString::fromUtf8("整理文件"), Value::Null(), 0);
    db.addGoal(Table::Ri, QStringLiteral("20180102"));
    const int third = db.addGoal(Table::Ri, QStringLiteral("20180103"));
    db.addItem(Table::Ri, third, QStringLiteral("review"), QString(), 1);
    const int outside = db.addGoal(Table::Ri, QStringLiteral("20180104"));
    db.addItem(Table::Ri, outside, QStringLiteral("outside"), Value::Null(), 0);
    const Rows all = {{QStringLiteral("20180101"), QString::fromUtf8("写年度计划"), QString::fromUtf8("已写完"), kOk},
                      {QStringLiteral("20180101"), QString::fromUtf8("整理文件"), {}, kOpen},
                      {QStringLiteral("20180103"), QStringLiteral("review"), {}, kOk}};
    auto withTemplate = [](const Rows& data) {
        Rows rows = TemplateRows();
        rows.insert(rows.end(), data.begin(), data.end());
        return rows;
    };
    const QString from = QStringLiteral("20180101");
    const QString to = QStringLiteral("20180103");
    ok &= samples.add(QStringLiteral("all"), db, Table::Ri, from, to, kExportAllItems, templatePath,
                      {{QStringLiteral("Sheet1"), ToJson(withTemplate(all))}});
    ok &= samples.add(QStringLiteral("done"), db, Table::Ri, from, to, kExportDoneItems, templatePath,
                      {{QStringLiteral("Sheet1"), ToJson(withTemplate({all[0], all[2]}))}});
    ok &= samples.add(QStringLiteral("open"), db, Table::Ri, from, to, kExportOpenItems, templatePath,
                      {{QStringLiteral("Sheet1"), ToJson(withTemplate({all[1]}))}});
    ok &= samples.add(QStringLiteral("no_goal"), db, Table::Ri, QStringLiteral("20190101"), QStringLiteral("20190131"),
                      kExportAllItems, templatePath, {{QStringLiteral("Sheet1"), ToJson(TemplateRows())}});

    // Long, Chinese and non-BMP texts; a string table of many records.
    const int month = db.addGoal(Table::Yue, QStringLiteral("201803"));
    Rows texts;
    const QString longChinese = QString::fromUtf8("长文本测试。").repeated(1700);
    const QString mixed = QString::fromUtf8("emoji 😀 and 𠀀, ünïcödé\n第二行");
    const QString tooLong = QString::fromUtf8("超").repeated(40000);
    db.addItem(Table::Yue, month, longChinese, mixed, 1);
    texts.push_back({QStringLiteral("201803"), longChinese, mixed, kOk});
    db.addItem(Table::Yue, month, tooLong, Value::Null(), 0);
    texts.push_back({QStringLiteral("201803"), tooLong.left(32767), {}, kOpen}); // a cell's limit
    for (int i = 0; i < 1500; ++i) {
        const QString content = i % 2 ? QString::fromUtf8("第%1项工作内容").arg(i).repeated(1 + i % 5)
                                      : QStringLiteral("item %1 ").arg(i).repeated(1 + i % 9);
        db.addItem(Table::Yue, month, content, QString::number(i), 0);
        texts.push_back({QStringLiteral("201803"), content, QString::number(i), kOpen});
    }
    ok &= samples.add(QStringLiteral("texts"), db, Table::Yue, QStringLiteral("201803"), QStringLiteral("201803"),
                      kExportAllItems, templatePath, {{QStringLiteral("Sheet1"), ToJson(withTemplate(texts))}});

    // A sheet filled to its last row.
    const int year = db.addGoal(Table::Nian, QStringLiteral("2018"));
    db.addManyItems(Table::Nian, year, 65534, QStringLiteral("item "));
    Rows full;
    for (int n = 0; n < 65534; ++n)
        full.push_back(
            {QStringLiteral("2018"), QStringLiteral("item ") + QString::number(n), {}, n % 3 == 0 ? kOk : kOpen});
    ok &= samples.add(QStringLiteral("full"), db, Table::Nian, QStringLiteral("2018"), QStringLiteral("2018"),
                      kExportAllItems, templatePath, {{QStringLiteral("Sheet1"), ToJson(withTemplate(full))}});

    // A template restyled by another program: other sheets, formats and strings kept;
    // new texts take the format of the blank cells they land on, else their column's.
    const QString restyled = db.path(QStringLiteral("restyled.xls"));
    WriteFileBytes(restyled, XlsFileWithStream(RestyledTemplateStream()));
    const int day = db.addGoal(Table::Ri, QStringLiteral("20180301"));
    Rows styled = {{QString::fromUtf8("工作细项(修改版)"), QStringLiteral("42")},
                   {QString::fromUtf8("目标"), QString::fromUtf8("工作内容"), QString::fromUtf8("完成情况"),
                    QString::fromUtf8("是否完成")}};
    for (int i = 0; i < 8; ++i) {
        db.addItem(Table::Ri, day, QString::fromUtf8("细项%1").arg(i), QStringLiteral("OK"), i % 2);
        styled.push_back({QStringLiteral("20180301"), QString::fromUtf8("细项%1").arg(i), kOk, i % 2 ? kOk : kOpen});
    }
    QJsonArray formats;
    for (int r = 2; r < 10; ++r)
        for (int c = 0; c < 4; ++c)
            formats.append(QJsonArray{r, c, r < 7 ? kRestyledBlankXf : (c == 1 ? 16 : 15)});
    formats.append(QJsonArray{5, 4, kRestyledBlankXf}); // a blank not written over stays
    ok &= samples.add(QStringLiteral("restyled"), db, Table::Ri, QStringLiteral("20180301"), QStringLiteral("20180301"),
                      kExportAllItems, restyled,
                      {{QStringLiteral("Sheet1"), ToJson(styled)},
                       {QString::fromUtf8("封面"), ToJson({{QString::fromUtf8("封面内容")}})},
                       {QString::fromUtf8("备注"), ToJson({{QString::fromUtf8("备注内容")}})}},
                      formats);

    ok &= samples.save();
    return ok ? 0 : 1;
}
