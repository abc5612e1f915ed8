// The export writers: range rules, the text file byte for byte, workbooks read back by libfreexl and xlrd.

#include "xls_samples.h"
#include "support/bytes.h"
#include "support/database.h"
#include "export/biff_workbook.h"
#include "export/byte_io.h"
#include "export/excel_export.h"
#include "export/export_dialog_rules.h"
#include "export/shared_strings.h"
#include "export/text_export.h"
#include "export/xls_template.h"
#include "shell/data_folder.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;
using xls::SharedStrings;
using xls::TemplateFile;
using xls::TemplateWorkbookStream;

namespace {

const QByteArray kLine = QByteArray(64, '*') + "\r\n";

// A database with the delivered template beside it.
struct Exporter {
    TempDb db{true};
    QString templatePath = db.dir.filePath(QStringLiteral("1.xls"));
    QString target = db.dir.filePath(QStringLiteral("out.xls"));
    Exporter() { WriteBytes(templatePath, TemplateFile()); }
    ExportResult excel(Table table, const QString& from, const QString& to, int filter = kExportAllItems)
    {
        return ExportItemsToExcel(db.connection, table, from, to, filter, templatePath, target);
    }
    QByteArray text(Table table, const QString& from, const QString& to)
    {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        return ExportGoalsAsText(db.connection, table, from, to, buffer) ? buffer.data() : QByteArray("failed");
    }
};

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    // Keys cut (year 4, month 6), their leading numbers checked against the bounds, both included, lower first.
    void rangeRules()
    {
        // button (year, month, day goals, then year, month, day items), from, to, message (empty: accepted)
        const char* const rows[][4] = {
            {"0", "2017", "2060", ""},
            {"0", "2016", "2060", "请输入一个大于2017的年份"},
            {"0", "2017", "2061", "请输入一个小于2060的年份"},
            {"0", "2061", "2016", "请输入一个大于2017的年份"},
            {"3", "", "2018", "请输入一个大于2017的年份"},
            {"3", "20180101", "2018xyz", ""},
            {"1", "201701", "206012", ""},
            {"4", "201612", "201801", "请输入一个大于201701的月份"},
            {"1", "201701", "206101", "请输入一个小于206012的月份"},
            {"4", "201713", "201801xyz", ""},
            {"2", "20170101", "20601231", ""},
            {"5", "2018", "20180310", "请输入一个大于20170101的日子"},
            {"2", "20170101", "20601232", "请输入一个小于20601231的日子"},
        };
        for (const auto& [button, from, to, message] : rows) {
            const ExportButtonRule& rule = ExportButtonRules()[std::size_t(*button - '0')];
            QCOMPARE(ExportRangeMessage(rule, CutExportKey(QString::fromLatin1(from), rule.cutLength),
                                        CutExportKey(QString::fromLatin1(to), rule.cutLength))
                         .value_or(QString()),
                     QString::fromUtf8(message));
        }
        QCOMPARE(DefaultExportFromKey(QDate(2018, 3, 10)) + DefaultExportToKey(QDate(2018, 3, 10)),
                 QStringLiteral("2018020820180310"));
    }

    // Goals between lines of asterisks, CR LF (a lone CR kept, a leading LF too), GB18030.
    void goalsAsText()
    {
        Exporter x;
        const QString wide = QStringLiteral("中文 ß € 😀 𠀀") + QString(40000, u'长');
        for (const auto& [key, text] : {std::pair{"20180102", QStringLiteral("\n写周报")},
                                        {"20180101", QStringLiteral("a\nb\r\nc\rd\n\ne")},
                                        {"20180104", wide},
                                        {"20180105", QStringLiteral("outside")}})
            SetGoal(x.db.connection, Table::Ri, QString::fromLatin1(key), text);
        const QByteArray bytes = x.text(Table::Ri, QStringLiteral("20180101"), QStringLiteral("20180104"));
        const auto gb = [](const QString& text) -> QByteArray { return QStringEncoder("GB18030").encode(text); };
        QCOMPARE(bytes, kLine + "20180101\r\na\r\nb\r\nc\rd\r\n\r\ne\r\n" + kLine + "20180102\r\n\r\n" + gb("写周报") +
                            "\r\n" + kLine + "20180103\r\n\r\n" + kLine + "20180104\r\n" + gb(wide) + "\r\n" + kLine);
        QVERIFY(bytes.contains(QByteArray::fromHex("d6d0cec4") + " ")); // 中文 as in GBK
        QVERIFY(bytes.contains(QByteArray::fromHex("9439fc36")));       // the emoji, four bytes
        QCOMPARE(x.text(Table::Ri, QStringLiteral("20180105"), QStringLiteral("20180101")), kLine);
    }

    // Replaced whole; an unwritable one (too long a name for a temporary beside it) is told and an old one stays.
    void textTargets()
    {
        Exporter x;
        SetGoal(x.db.connection, Table::Nian, QStringLiteral("2019"), QStringLiteral("new"));
        for (const auto& [name, cause] :
             {std::pair{QStringLiteral("goals.txt"), QString()},
              {QString(255, u'g'), QStringLiteral("文件名可能太长")},
              {QStringLiteral("no/such/goals.txt"), QStringLiteral("不存在。请选择一个已有的文件夹")}}) {
            const QString path = x.db.dir.filePath(name);
            const bool existed = !name.contains(u'/');
            if (existed)
                QVERIFY(WriteBytes(path, QByteArray("old content longer than the new one\r\n").repeated(50)));
            const QByteArray before = ReadBytes(path);
            const ExportResult result =
                ExportGoalsAsText(x.db.connection, Table::Nian, QStringLiteral("2018"), QStringLiteral("2020"), path);
            QCOMPARE(bool(result), cause.isEmpty());
            if (result) {
                QCOMPARE(ReadBytes(path), x.text(Table::Nian, QStringLiteral("2018"), QStringLiteral("2020")));
                continue;
            }
            QVERIFY2(result.message.startsWith(QStringLiteral("无法写入文件 ") + path) &&
                         result.message.contains(cause),
                     qPrintable(result.message));
            QCOMPARE(result.message.endsWith(QStringLiteral("原有的文件没有改动。")), existed);
            QVERIFY(!QString(result.message)
                         .remove(path)
                         .remove(QFileInfo(path).path())
                         .contains(QRegularExpression("[A-Za-z]")));
            QVERIFY(!result.details.isEmpty());
            QCOMPARE(ReadBytes(path), before);
        }
        QCOMPARE(QDir(x.db.dir.path()).entryList(QDir::Files).size(), 3); // no temporary file left
    }

    // A text too long for a cell is cut in the workbook only, each place named (past ten, in the details).
    void overLongTextsAreNamed_data()
    {
        QTest::addColumn<int>("filter");
        QTest::addColumn<int>("extraGoals");
        QTest::addColumn<QStringList>("places");
        const QString first = QStringLiteral("目标 20180101 ");
        QTest::newRow("all items") << kExportAllItems << 0
                                   << QStringList{first + "第 2 项的工作内容", first + "第 3 项的工作内容",
                                                  first + "第 3 项的完成情况"};
        QTest::newRow("done items keep their list numbers")
            << kExportDoneItems << 0 << QStringList{first + "第 3 项的工作内容", first + "第 3 项的完成情况"};
        QStringList many = {first + "第 2 项的工作内容"};
        for (int day = 2; day <= 12; ++day)
            many << QStringLiteral("目标 201801%1 第 1 项的工作内容").arg(day, 2, 10, QLatin1Char('0'));
        QTest::newRow("more than ten") << kExportOpenItems << 11 << many;
    }
    void overLongTextsAreNamed()
    {
        QFETCH(int, filter);
        QFETCH(int, extraGoals);
        QFETCH(QStringList, places);
        Exporter x;
        ConnectionHolder& c = x.db.connection;
        const int goal = GoalId(c, Table::Ri, QStringLiteral("20180101"));
        AddItem(c, Table::Ri, goal, QString(xls::kMaxCellText, u'a'), {}, true); // fits exactly
        AddItem(c, Table::Ri, goal, QString(xls::kMaxCellText + 1, u'b'));
        AddItem(c, Table::Ri, goal, QString(40000, u'长'), QString(xls::kMaxCellText + 1, u'c'), true);
        for (int day = 2; day < 2 + extraGoals; ++day)
            AddItem(c, Table::Ri, GoalId(c, Table::Ri, FormatDayKey(2018, 1, day)), QString(33000, u'd'));
        const ExportResult result = x.excel(Table::Ri, QStringLiteral("20180101"), QStringLiteral("20180131"), filter);
        QVERIFY(result);
        QVERIFY2(result.message.startsWith(QStringLiteral("导出完成,但有 %1 段文字").arg(places.size())),
                 qPrintable(result.message));
        QCOMPARE(result.caption, QStringLiteral("部分文字被截短"));
        for (const QString& place : places.mid(0, 10))
            QVERIFY2(result.message.contains(place + u'\n'), qPrintable(place));
        QCOMPARE(result.details, places.size() > 10 ? places.join(u'\n') : QString());
    }

    // Samples read back in libfreexl (trailing empties aside; not the long texts it refuses) and xlrd (formats too).
    void samplesReadBack()
    {
        QTemporaryDir folder;
        const auto trimmed = [](SheetCells cells) {
            for (auto& row : cells)
                while (!row.empty() && row.back().isEmpty())
                    row.pop_back();
            while (!cells.empty() && cells.back().empty())
                cells.pop_back();
            return cells;
        };
        const std::optional<std::vector<XlsSample>> samples = WriteXlsSamples(QDir(folder.path()));
        QVERIFY(samples && samples->size() == 5);
        QJsonArray expected;
        for (const XlsSample& sample : *samples) {
            QJsonObject sheets;
            QJsonArray formats;
            for (const auto& [name, cells] : sample.sheets) {
                QVERIFY2(sample.file.endsWith(u"texts.xls") ||
                             trimmed(ReadSheetWithFreeXl(sample.file, name).value_or(SheetCells{{"?"}})) ==
                                 trimmed(cells),
                         qPrintable(sample.file + u' ' + name));
                QJsonArray rows;
                for (const auto& row : cells)
                    rows.append(QJsonArray::fromStringList(QStringList(row.begin(), row.end())));
                sheets[name] = rows;
            }
            for (const auto& [row, column, xf] : sample.formats)
                formats.append(QJsonArray{row, column, xf});
            expected.append(QJsonObject{{"file", sample.file}, {"sheets", sheets}, {"formats", formats}});
        }
        QVERIFY(WriteBytes(folder.filePath(QStringLiteral("expected.json")), QJsonDocument(expected).toJson()));
        QProcess xlrd;
        xlrd.setProcessChannelMode(QProcess::MergedChannels);
        xlrd.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral(JOTRAK_XLRD_CHECK), folder.path()});
        QVERIFY(xlrd.waitForFinished(300000));
        QVERIFY2(xlrd.exitCode() == 0, xlrd.readAll().constData());
    }

    // No items: the template unchanged over the old target; 65 534 items fit a sheet, one more is refused.
    void workbooksFromTemplates()
    {
        Exporter x;
        ConnectionHolder& c = x.db.connection;
        const int goal = GoalId(c, Table::Nian, QStringLiteral("2018"));
        AddItem(c, Table::Nian, goal, QStringLiteral("a"), QStringLiteral("b"), true);
        QVERIFY(WriteBytes(x.target, QByteArray(200000, 'x')));
        for (const auto& [from, to, filter] : {std::tuple{"2020", "2021", kExportAllItems},
                                               {"2019", "2019", kExportAllItems},
                                               {"2018", "2018", kExportOpenItems}}) {
            QVERIFY(x.excel(Table::Nian, QString::fromLatin1(from), QString::fromLatin1(to), filter));
            QCOMPARE(ReadBytes(x.target), TemplateFile());
        }
        Transaction t(c);
        for (int n = 1; n <= 65534; ++n)
            AddItem(c, Table::Nian, goal, QString::number(n));
        t.commit();
        const ExportResult refused = x.excel(Table::Nian, QStringLiteral("2018"), QStringLiteral("2018"));
        QVERIFY2(!refused && refused.message.contains(QStringLiteral("65535")) &&
                     refused.message.contains(QStringLiteral("65534")),
                 qPrintable(refused.message));
        QCOMPARE(ReadBytes(x.target), TemplateFile());
    }

    // A template that is missing or no usable workbook writes nothing, even when no item is in range.
    void badTemplatesWriteNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = TemplateFile();
        QByteArray encrypted = RestyledTemplateStream();
        std::optional<xls::RecordStream> records = xls::SplitRecords(encrypted, nullptr);
        records->records.insert(records->records.begin() + 1, xls::BiffRecord{xls::rec::kFilePass, QByteArray(54, 1)});
        QTest::newRow("missing") << QByteArray("<missing>");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("truncated file") << good.left(good.size() / 2);
        QTest::newRow("header then random bytes") << good.left(512) + RandomBytes(6000, 42);
        QTest::newRow("text file") << QByteArray("goal,item\n2018,a\n");
        QTest::newRow("Excel 5 workbook") << XlsFileWithStream(TemplateWorkbookStream(), QStringLiteral("Book"));
        QTest::newRow("encrypted") << XlsFileWithStream(xls::JoinRecords(records->records));
        QTest::newRow("truncated stream") << XlsFileWithStream(RestyledTemplateStream().chopped(3000));
    }
    void badTemplatesWriteNothing()
    {
        QFETCH(QByteArray, bytes);
        Exporter x;
        QFile::remove(x.templatePath);
        if (bytes != "<missing>")
            QVERIFY(WriteBytes(x.templatePath, bytes));
        AddItem(x.db.connection, Table::Ri, GoalId(x.db.connection, Table::Ri, QStringLiteral("20180101")),
                QStringLiteral("a"));
        for (const char* key : {"20180101", "20190101"}) {
            const ExportResult result = x.excel(Table::Ri, QString::fromLatin1(key), QString::fromLatin1(key));
            QVERIFY(!result);
            QCOMPARE(result.message + result.caption,
                     QStringLiteral("无法打开文件,请检查数据文件是否存在数据文件不存在"));
            QVERIFY(!QFile::exists(x.target));
        }
    }

    // Strings split at record ends, never in a surrogate pair; stream positions point right; 1.xls is the writer's.
    void theWorkbookLayers()
    {
        SharedStrings table;
        const QString text = QStringLiteral("x") + QStringLiteral("😀").repeated(5000);
        table.intern(text);
        const std::vector<xls::BiffRecord> records = table.records();
        QVERIFY(records.size() >= 3);
        for (std::size_t i = 1; i < records.size(); ++i)
            QVERIFY(!QChar(xls::ReadU16(records[i].data, 1)).isLowSurrogate());
        std::size_t consumed = 0;
        QCOMPARE(SharedStrings::Parse(records, 0, &consumed, nullptr)->text(0), text);

        std::vector<xls::SheetRow> rows(
            2000, {QStringLiteral("2018"), QStringLiteral("行"), QString(), QStringLiteral("OK")});
        const QByteArray out = xls::Workbook::Parse(RestyledTemplateStream())->withRows(rows);
        const std::optional<xls::RecordStream> split = xls::SplitRecords(out, nullptr);
        std::map<qint64, quint16> idAt;
        for (std::size_t i = 0; i < split->records.size(); ++i)
            idAt[split->offsets[i]] = split->records[i].id;
        QStringList pointers;
        for (const xls::BiffRecord& r : split->records) {
            if (r.id == xls::rec::kBoundSheet && idAt[xls::ReadU32(r.data, 0)] == xls::rec::kBof)
                pointers << QStringLiteral("sheet");
            else if (r.id == xls::rec::kIndex && idAt[xls::ReadU32(r.data, 16)] == xls::rec::kDbCell)
                pointers << QStringLiteral("index");
            else if (r.id == xls::rec::kExtSst) {
                const auto holder = std::prev(idAt.upper_bound(xls::ReadU32(r.data, 2)));
                if (holder->second == xls::rec::kSst &&
                    xls::ReadU32(r.data, 2) - holder->first == xls::ReadU16(r.data, 6))
                    pointers << QStringLiteral("strings");
            }
        }
        QCOMPARE(pointers, (QStringList{"sheet", "sheet", "sheet", "strings", "index"}));

        QCOMPARE(ReadBytes(ShippedFilesDir(qEnvironmentVariable("JOTRAK_BIN_DIR")) + QStringLiteral("/1.xls")),
                 TemplateFile());
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
