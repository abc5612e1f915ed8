// The .xls layer on its own: the string table's record splitting, refusal of
// damaged workbooks without reading outside the data, the compound-file container,
// and the stream positions that must follow the records they name.

#include "export_test_support.h"

#include "export/biff_builder.h"
#include "export/biff_workbook.h"
#include "export/byte_io.h"
#include "export/compound_file.h"
#include "export/shared_strings.h"
#include "export/workbook_file.h"
#include "export/xls_template.h"

#include <QRandomGenerator>
#include <QTest>

using namespace jotrak;
using namespace jotrak::xls;
using namespace jotrak::exporttest;

namespace {

// The workbook stream with one record's body replaced through edit.
template <typename Edit> QByteArray EditRecord(const QByteArray& stream, quint16 id, Edit edit)
{
    std::optional<RecordStream> split = SplitRecords(stream, nullptr);
    for (BiffRecord& r : split->records)
        if (r.id == id) {
            edit(r);
            break;
        }
    return JoinRecords(split->records);
}

QByteArray InsertAfterBof(const QByteArray& stream, const BiffRecord& record)
{
    std::optional<RecordStream> split = SplitRecords(stream, nullptr);
    split->records.insert(split->records.begin() + 1, record);
    return JoinRecords(split->records);
}

std::vector<SheetRow> SimpleRows(int count)
{
    std::vector<SheetRow> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({QStringLiteral("2018"), QString::number(i), QString(), QStringLiteral("OK")});
    return rows;
}

} // namespace

class XlsLayerTest : public QObject {
    Q_OBJECT
private slots:
    // ---------------------------------------------------------------- string table
    void stringsStayInsideRecordsAndKeepCharactersWhole()
    {
        SharedStrings table;
        std::vector<QString> texts;
        // Wide, narrow and surrogate-pair texts of lengths that land on every
        // kind of boundary, among them a long Chinese text split many times.
        const QString pair = QString::fromUtf8("😀");
        for (int i = 0; i < 600; ++i) {
            QString text;
            if (i % 3 == 0)
                text = QString::fromUtf8("中文内容%1").arg(i).repeated(1 + i % 7);
            else if (i % 3 == 1)
                text = QStringLiteral("latin text %1 ").arg(i).repeated(1 + i % 11);
            else
                text = QStringLiteral("x%1").arg(i) + pair.repeated(1 + i % 13);
            texts.push_back(text);
        }
        texts.push_back(QString::fromUtf8("长").repeated(10000));
        texts.push_back(QString());
        for (const QString& t : texts)
            table.intern(t);
        const std::vector<BiffRecord> records = table.records();
        QVERIFY(records.size() > 3);
        QCOMPARE(records[0].id, rec::kSst);
        for (std::size_t i = 1; i < records.size(); ++i)
            QCOMPARE(records[i].id, rec::kContinue);
        for (const BiffRecord& r : records)
            QVERIFY(r.data.size() <= kMaxRecordData);

        std::size_t consumed = 0;
        QString error;
        const std::optional<SharedStrings> back = SharedStrings::Parse(records, 0, &consumed, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(consumed, records.size());
        QCOMPARE(back->uniqueCount(), static_cast<quint32>(texts.size()));
        for (quint32 i = 0; i < texts.size(); ++i)
            QCOMPARE(back->text(i), texts[i]);
    }

    void surrogatePairsAreNeverCut()
    {
        SharedStrings table;
        const QString text = QStringLiteral("x") + QString::fromUtf8("😀").repeated(5000);
        table.intern(text);
        const std::vector<BiffRecord> records = table.records();
        QVERIFY(records.size() >= 3);
        for (std::size_t i = 0; i < records.size(); ++i) {
            const QByteArray& body = records[i].data;
            const qsizetype first = i == 0 ? 8 + 3 : 1; // behind the string header or the option byte
            QCOMPARE(body.size() % 2, first % 2);
            QVERIFY(!QChar(ReadU16(body, first)).isLowSurrogate() || i == 0);
            QVERIFY(!QChar(ReadU16(body, body.size() - 2)).isHighSurrogate());
            if (i > 0)
                QCOMPARE(body[0], '\x01');
        }
        std::size_t consumed = 0;
        QCOMPARE(SharedStrings::Parse(records, 0, &consumed, nullptr)->text(0), text);
    }

    void equalTextsShareOneEntry()
    {
        SharedStrings table;
        QCOMPARE(table.intern(QStringLiteral("OK")), 0u);
        QCOMPARE(table.intern(QString::fromUtf8("未完成")), 1u);
        QCOMPARE(table.intern(QStringLiteral("OK")), 0u);
        QCOMPARE(table.uniqueCount(), 2u);
    }

    void extSstPointsAtStringStarts()
    {
        SharedStrings table;
        for (int i = 0; i < 3000; ++i)
            table.intern(QString::fromUtf8("第%1条").arg(i));
        const std::vector<BiffRecord> records = table.records();
        const QByteArray joined = JoinRecords(records);
        std::vector<qint64> offsets;
        JoinRecords(records, &offsets);
        const BiffRecord ext = table.extSst(offsets);
        const quint16 perBucket = ReadU16(ext.data, 0);
        QVERIFY(perBucket >= 8);
        QVERIFY((ext.data.size() - 2) / 8 <= 128);
        // Each bucket names a string header: its length field gives the string's length.
        for (qsizetype at = 2, k = 0; at + 8 <= ext.data.size(); at += 8, k += perBucket) {
            const quint32 position = ReadU32(ext.data, at);
            const QString expected = QString::fromUtf8("第%1条").arg(k);
            QCOMPARE(ReadU16(joined, position), static_cast<quint16>(expected.size()));
            QVERIFY(ReadU16(ext.data, at + 4) >= 4);
        }
    }

    // ------------------------------------------------------------ refusing damage
    void templateParses()
    {
        QString error;
        const std::optional<Workbook> book = Workbook::Parse(TemplateWorkbookStream(), &error);
        QVERIFY2(book, qPrintable(error));
        QCOMPARE(book->firstNewRow(), 2);
        QCOMPARE(book->rowCapacity(), 65534);
    }

    void damagedStreamsAreRefused_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("reason");
        const QByteArray good = TemplateWorkbookStream();
        const std::optional<RecordStream> split = SplitRecords(good, nullptr);
        const qint64 end = split->offsets.back() + 4; // just past the last EOF
        qint64 sheetStart = 0;
        for (std::size_t i = 1; i < split->records.size(); ++i)
            if (split->records[i].id == rec::kBof)
                sheetStart = split->offsets[i];
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("cut inside a record") << good.left(40) << QString();
        QTest::newRow("sheet missing") << good.left(sheetStart) << QString();
        QTest::newRow("last EOF missing") << good.left(end - 4) << QString();
        QByteArray pastEnd = good.left(end);
        SetU16(pastEnd, split->offsets.back() + 2, 200);
        QTest::newRow("record length past the end") << pastEnd << QString();
        QTest::newRow("no BOF") << good.mid(20) << QString();
        QTest::newRow("Excel 5 version") << EditRecord(good, rec::kBof, [](BiffRecord& r) {
            SetU16(r.data, 0, 0x0500);
        }) << QString();
        QTest::newRow("encrypted") << InsertAfterBof(good, BiffRecord{rec::kFilePass, QByteArray(54, '\x01')})
                                   << QString::fromUtf8("加密");
        QTest::newRow("no Sheet1") << EditRecord(good, rec::kBoundSheet, [](BiffRecord& r) { r.data[8] = 'T'; })
                                   << QStringLiteral("Sheet1");
        QTest::newRow("sheet position wrong")
            << EditRecord(good, rec::kBoundSheet, [](BiffRecord& r) { SetU32(r.data, 0, ReadU32(r.data, 0) + 4); })
            << QString();
        QTest::newRow("string count too high")
            << EditRecord(good, rec::kSst, [](BiffRecord& r) { SetU32(r.data, 4, 0x7fffffff); }) << QString();
        QTest::newRow("string longer than its record")
            << EditRecord(good, rec::kSst, [](BiffRecord& r) { SetU16(r.data, 8, 0xffff); }) << QString();
        QTest::newRow("short cell record")
            << EditRecord(good, rec::kLabelSst, [](BiffRecord& r) { r.data.truncate(3); }) << QString();
    }
    void damagedStreamsAreRefused()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, reason);
        QString error;
        QVERIFY(!Workbook::Parse(stream, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void everyPrefixAndRandomDamageIsSafe()
    {
        // Run under the address sanitizer, this catches any read outside the data.
        const QByteArray good = RestyledTemplateStream();
        for (qsizetype n = 0; n < good.size(); n += 7) {
            const std::optional<Workbook> book = Workbook::Parse(good.left(n));
            if (book)
                book->withRows(SimpleRows(3));
        }
        QRandomGenerator random(20180101);
        int accepted = 0;
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = good;
            const int flips = 1 + random.bounded(6);
            for (int f = 0; f < flips; ++f)
                damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
            if (const std::optional<Workbook> book = Workbook::Parse(damaged)) {
                ++accepted;
                const QByteArray out = book->withRows(SimpleRows(40));
                QVERIFY(Workbook::Parse(out).has_value());
            }
        }
        QVERIFY(accepted > 0); // damage to text bytes leaves a usable workbook
    }

    // ------------------------------------------------------------- compound file
    void compoundFileKeepsEveryStream()
    {
        CompoundEntry root;
        root.isStorage = true;
        root.clsid[0] = 0x20;
        QByteArray big(7 * 1024 * 1024 + 12345, '\0');
        for (qsizetype i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i * 31 % 251);
        root.children.push_back(CompoundEntry{QStringLiteral("Workbook"), false, big, {}, {}});
        root.children.push_back(
            CompoundEntry{QStringLiteral("\x05SummaryInformation"), false, QByteArray(100, 'a'), {}, {}});
        root.children.push_back(CompoundEntry{QStringLiteral("Empty"), false, QByteArray(), {}, {}});
        CompoundEntry storage{QStringLiteral("_VBA_PROJECT_CUR"), true, {}, {}, {}};
        storage.clsid[15] = 0x46;
        storage.children.push_back(CompoundEntry{QStringLiteral("PROJECT"), false, QByteArray(4095, 'p'), {}, {}});
        storage.children.push_back(CompoundEntry{QStringLiteral("dir"), false, QByteArray(4096, 'd'), {}, {}});
        root.children.push_back(storage);

        const std::optional<QByteArray> bytes = WriteCompoundFile(root);
        QVERIFY(bytes);
        QString error;
        const std::optional<CompoundEntry> back = ReadCompoundFile(*bytes, &error);
        QVERIFY2(back, qPrintable(error));
        QCOMPARE(back->clsid, root.clsid);
        QCOMPARE(back->findStream(QStringLiteral("workbook"))->data, big);
        QCOMPARE(back->findStream(QStringLiteral("\x05SummaryInformation"))->data, QByteArray(100, 'a'));
        QVERIFY(back->findStream(QStringLiteral("Empty"))->data.isEmpty());
        const auto vba = std::find_if(back->children.begin(), back->children.end(),
                                      [](const CompoundEntry& e) { return e.isStorage; });
        QVERIFY(vba != back->children.end());
        QCOMPARE(vba->clsid, storage.clsid);
        QCOMPARE(vba->findStream(QStringLiteral("PROJECT"))->data, QByteArray(4095, 'p'));
        QCOMPARE(vba->findStream(QStringLiteral("dir"))->data, QByteArray(4096, 'd'));
    }

    void brokenCompoundFilesAreRefused()
    {
        const QByteArray good = TemplateFile();
        QVERIFY(ReadCompoundFile(good));
        QVERIFY(!ReadCompoundFile(QByteArray()));
        QVERIFY(!ReadCompoundFile(QByteArray("PK\x03\x04 not a compound file")));
        for (qsizetype n : {qsizetype{8}, qsizetype{511}, qsizetype{512}, good.size() / 2, good.size() - 1}) {
            const std::optional<WorkbookFile> file = WorkbookFile::FromBytes(good.left(n));
            QVERIFY2(!file, qPrintable(QString::number(n)));
        }
        QRandomGenerator random(7);
        for (int round = 0; round < 300; ++round) {
            QByteArray damaged = good;
            for (int f = 0; f < 4; ++f)
                damaged[random.bounded(damaged.size())] = static_cast<char>(random.bounded(256));
            WorkbookFile::FromBytes(damaged); // must not crash
        }
        QString error;
        QVERIFY(!WorkbookFile::FromBytes(XlsFileWithStream(TemplateWorkbookStream(), QStringLiteral("Book")), &error));
        QVERIFY(error.contains(QStringLiteral("Excel 5.0")));
    }

    void deliveredTemplateIsTheWritersOutput()
    {
        const QString path = qEnvironmentVariable("JOTRAK_BIN_DIR") + QStringLiteral("/Dt/1.xls");
        QCOMPARE(ReadFileBytes(path), TemplateFile());
    }

    // ---------------------------------------------------------- stream positions
    void positionsFollowTheirRecords()
    {
        const std::optional<Workbook> book = Workbook::Parse(RestyledTemplateStream());
        QVERIFY(book);
        const QByteArray out = book->withRows(SimpleRows(2000));
        const std::optional<RecordStream> split = SplitRecords(out, nullptr);
        QVERIFY(split);
        std::map<qint64, quint16> idAt;
        for (std::size_t i = 0; i < split->records.size(); ++i)
            idAt[split->offsets[i]] = split->records[i].id;
        int sheets = 0;
        int indexes = 0;
        int extSsts = 0;
        for (const BiffRecord& r : split->records) {
            if (r.id == rec::kBoundSheet) {
                ++sheets;
                QCOMPARE(idAt[ReadU32(r.data, 0)], rec::kBof);
            } else if (r.id == rec::kIndex) {
                ++indexes;
                QCOMPARE(idAt[ReadU32(r.data, 16)], rec::kDbCell);
            } else if (r.id == rec::kExtSst) {
                ++extSsts;
                const qint64 position = ReadU32(r.data, 2);
                const auto holder = std::prev(idAt.upper_bound(position));
                QCOMPARE(position - holder->first, qint64{ReadU16(r.data, 6)});
                QCOMPARE(holder->second, rec::kSst);
            }
        }
        QCOMPARE(sheets, 3);
        QCOMPARE(indexes, 1); // the cover sheet's; Sheet1's INDEX and DBCELL are dropped
        QCOMPARE(extSsts, 1);
        QVERIFY(Workbook::Parse(out).has_value());
    }

    void addedRowsAfterTheLastRowFit()
    {
        const std::optional<Workbook> book = Workbook::Parse(TemplateWithValueBelowStream());
        QVERIFY(book);
        QCOMPARE(book->firstNewRow(), 6);
        QCOMPARE(book->rowCapacity(), 65530);
    }
};

QTEST_GUILESS_MAIN(XlsLayerTest)
#include "tst_xls_layer.moc"
