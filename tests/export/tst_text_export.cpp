// The text export against the exact bytes a user's text editor will see.

#include "export_test_support.h"

#include "export/text_export.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

using namespace jotrak;
using namespace jotrak::exporttest;

namespace {

const QByteArray kSeparator = QByteArray(64, '*') + "\r\n";

QByteArray Gb(const char* utf8)
{
    QStringEncoder encoder("GB18030");
    return encoder.encode(QString::fromUtf8(utf8));
}

QByteArray ExportToBytes(TestDatabase& db, Table table, const QString& from, const QString& to)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ExportResult result = ExportGoalsAsText(db.connection(), table, from, to, buffer);
    if (!result)
        qWarning() << result.message;
    return result ? buffer.data() : QByteArray("failed");
}

} // namespace

class TextExportTest : public QObject {
    Q_OBJECT
private slots:
    void goalsBetweenSeparators()
    {
        TestDatabase db;
        db.addGoal(Table::Ri, QStringLiteral("20180102"), QString::fromUtf8("写周报"));
        db.addGoal(Table::Ri, QStringLiteral("20180101"), QString::fromUtf8("元旦"));
        db.addGoal(Table::Ri, QStringLiteral("20180103"), QString::fromUtf8("第一行\n第二行\n"));
        db.addGoal(Table::Ri, QStringLiteral("20180104"), Value::Null());
        db.addGoal(Table::Ri, QStringLiteral("20180105"), QString::fromUtf8("末日"));
        const QByteArray expected = kSeparator + "20180101\r\n" + Gb("元旦") + "\r\n" +                 //
                                    kSeparator + "20180102\r\n" + Gb("写周报") + "\r\n" +               //
                                    kSeparator + "20180103\r\n" + Gb("第一行\r\n第二行\r\n") + "\r\n" + //
                                    kSeparator + "20180104\r\n" + "\r\n" +                              //
                                    kSeparator + "20180105\r\n" + Gb("末日") + "\r\n" + kSeparator;
        QCOMPARE(ExportToBytes(db, Table::Ri, QStringLiteral("20180101"), QStringLiteral("20180105")), expected);
    }

    void lineEndsInsideGoals()
    {
        TestDatabase db;
        db.addGoal(Table::Yue, QStringLiteral("201802"), QStringLiteral("a\nb\r\nc\rd\n\ne"));
        // LF becomes CR LF, CR LF stays, a lone CR is kept.
        QCOMPARE(ExportToBytes(db, Table::Yue, QStringLiteral("201801"), QStringLiteral("201803")),
                 kSeparator + "201802\r\n" + "a\r\nb\r\nc\rd\r\n\r\ne\r\n" + kSeparator);
    }

    void boundsAreIncluded()
    {
        TestDatabase db;
        for (const char* year : {"2017", "2018", "2019", "2020", "2021"})
            db.addGoal(Table::Nian, QString::fromLatin1(year), QString::fromLatin1(year));
        QCOMPARE(ExportToBytes(db, Table::Nian, QStringLiteral("2018"), QStringLiteral("2020")),
                 kSeparator + "2018\r\n2018\r\n" + kSeparator + "2019\r\n2019\r\n" + kSeparator + "2020\r\n2020\r\n" +
                     kSeparator);
        QCOMPARE(ExportToBytes(db, Table::Nian, QStringLiteral("2018"), QStringLiteral("2018")),
                 kSeparator + "2018\r\n2018\r\n" + kSeparator);
        QCOMPARE(ExportToBytes(db, Table::Nian, QStringLiteral("2020"), QStringLiteral("2018")), kSeparator);
    }

    void noGoalGivesOneSeparatorLine()
    {
        TestDatabase db;
        QCOMPARE(ExportToBytes(db, Table::Ri, QStringLiteral("20180101"), QStringLiteral("20180131")), kSeparator);
    }

    void textIsGb18030()
    {
        TestDatabase db;
        const QString text = QString::fromUtf8("中文 ß € 😀 𠀀") + QString(40000, u'长'); // no cell limit here
        db.addGoal(Table::Nian, QStringLiteral("2019"), text);
        const QByteArray bytes = ExportToBytes(db, Table::Nian, QStringLiteral("2018"), QStringLiteral("2020"));
        QVERIFY(bytes.contains(QByteArray::fromHex("d6d0cec4"))); // 中文 as in GBK
        QVERIFY(bytes.contains(QByteArray::fromHex("9439fc36"))); // the emoji, four bytes
        QStringDecoder decoder("GB18030");
        const QString back = decoder.decode(bytes);
        QVERIFY(!decoder.hasError());
        QVERIFY(back.contains(text + QStringLiteral("\r\n")));
    }

    void fileIsReplacedWhole()
    {
        TestDatabase db;
        db.addGoal(Table::Nian, QStringLiteral("2019"), QStringLiteral("new"));
        const QString path = db.path(QStringLiteral("goals.txt"));
        QVERIFY(WriteFileBytes(path, QByteArray("old content that is longer than the new one\r\n").repeated(50)));
        const ExportResult result =
            ExportGoalsAsText(db.connection(), Table::Nian, QStringLiteral("2018"), QStringLiteral("2020"), path);
        QVERIFY(result);
        QCOMPARE(ReadFileBytes(path), kSeparator + "2019\r\nnew\r\n" + kSeparator);
        QCOMPARE(QDir(db.path(QString())).entryList(QDir::Files).size(), 2); // the database and the export
    }

    // The sentence says what to do; the system's words go to the details, and
    // "原有的文件没有改动" only where there was a file.
    void unwritableTargetKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existed");
        QTest::addColumn<QString>("cause");
        // A name of the longest length the file system allows: the file exists, but
        // no temporary file can be made beside it (and root ignores permissions).
        QTest::newRow("no room beside an old file")
            << QString(255, u'g') << true << QString::fromUtf8("文件名可能太长");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/goals.txt") << false
                                        << QString::fromUtf8("不存在。请选择一个已有的文件夹");
    }
    void unwritableTargetKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(bool, existed);
        QFETCH(QString, cause);
        TestDatabase db;
        db.addGoal(Table::Nian, QStringLiteral("2019"), QStringLiteral("x"));
        const QString path = db.path(name);
        if (existed)
            QVERIFY(WriteFileBytes(path, "old"));
        const ExportResult result =
            ExportGoalsAsText(db.connection(), Table::Nian, QStringLiteral("2018"), QStringLiteral("2020"), path);
        QVERIFY(!result);
        QVERIFY2(result.message.startsWith(QString::fromUtf8("无法写入文件 ") + QDir::toNativeSeparators(path)),
                 qPrintable(result.message));
        QVERIFY2(result.message.contains(cause), qPrintable(result.message));
        QCOMPARE(result.message.endsWith(QString::fromUtf8("原有的文件没有改动。")), existed);
        QString outsidePaths = result.message;
        outsidePaths.remove(path).remove(QFileInfo(path).absolutePath());
        QVERIFY2(!outsidePaths.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))), qPrintable(outsidePaths));
        QVERIFY(!result.details.isEmpty());
        QCOMPARE(result.caption, result.message);
        QCOMPARE(ReadFileBytes(path), existed ? QByteArray("old") : QByteArray());
    }

    void databaseFailureWritesNothing()
    {
        TestDatabase db;
        CloseConnection(db.connection());
        const QString path = db.path(QStringLiteral("goals.txt"));
        const ExportResult result =
            ExportGoalsAsText(db.connection(), Table::Ri, QStringLiteral("20180101"), QStringLiteral("20180131"), path);
        QVERIFY(!result);
        QVERIFY(!QFile::exists(path));
    }
};

QTEST_GUILESS_MAIN(TextExportTest)
#include "tst_text_export.moc"
