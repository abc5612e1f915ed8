#include "support/bytes.h"

#include "settings/maxims.h"
#include "shell/data_folder.h"

#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;

class TestMaxims : public QObject {
    Q_OBJECT

private slots:
    // Up to three line breaks in a row part two lines; every further one adds an
    // empty line. The text is GBK or GB18030 and ends at a NUL.
    void lines_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF, no break at the end") << QByteArray("A\r\nB") << QStringList{"A", "B"};
        QTest::newRow("LF") << QByteArray("A\nB\n") << QStringList{"A", "B"};
        QTest::newRow("CR") << QByteArray("A\rB\r") << QStringList{"A", "B"};
        QTest::newRow("three CR LF") << QByteArray("A\r\n\r\n\r\nB") << QStringList{"A", "B"};
        QTest::newRow("four CR LF") << QByteArray("A\r\n\r\n\r\n\r\nB") << QStringList{"A", "", "B"};
        QTest::newRow("four LF") << QByteArray("A\n\n\n\nB") << QStringList{"A", "", "B"};
        QTest::newRow("begins with a break") << QByteArray("\r\nA\r\n") << QStringList{"", "A"};
        QTest::newRow("four breaks only") << QByteArray("\r\n\r\n\r\n\r\n") << QStringList{"", ""};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("NUL ends the text") << QByteArray("A\r\nB\0C\r\nD", 10) << QStringList{"A", "B"};
        QTest::newRow("GBK and GB18030") << QByteArray::fromHex("d2b5beabd3dac7da0d0a95328236")
                                         << QStringList{"业精于勤", QString::fromUcs4(U"\U00020000")};
        QTest::newRow("a line of 300 bytes")
            << QByteArray::fromHex("d2b5").repeated(150) + "\r\nB" << QStringList{QString(150, u'业'), "B"};
        const QByteArray line = QByteArray(98, 'x') + "\r\n";
        const auto whole = static_cast<int>(kMaximFileReadLimit / line.size());
        QTest::newRow("past the read limit, whole lines")
            << line.repeated(whole + 1000) << QStringList(whole, QString(98, u'x'));
    }
    void lines()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QTemporaryDir dir;
        QVERIFY(WriteBytes(dir.filePath(QStringLiteral("gey.txt")), bytes));
        MaximList list;
        LoadMaxims(list, dir.path());
        QCOMPARE(list.lines, lines);
    }

    // (A missing file or a folder in its place: tst_hostile_files.)
    void theDeliveredFileHoldsMaximsAndEachCanBeChosen()
    {
        MaximList list;
        LoadMaxims(list, ShippedFilesDir(qEnvironmentVariable("JOTRAK_BIN_DIR")));
        QVERIFY(list.lines.contains(QStringLiteral("业精于勤，荒于嬉；行成于思，毁于随。")));
        for (const QString& line : list.lines)
            QVERIFY2(!line.isEmpty() && !line.contains(QChar::ReplacementCharacter), qPrintable(line));
        QSet<QString> seen;
        for (qint64 seconds = 1516500000; seconds < 1516500000 + 50 * list.count(); ++seconds)
            seen.insert(ChooseMaxim(list, seconds));
        QCOMPARE(seen.size(), list.count());
        QCOMPARE(ChooseMaxim(list, 1516500000), ChooseMaxim(list, 1516500000));
        QVERIFY(ChooseMaxim(MaximList{}, 1516500000).isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestMaxims)
#include "tst_maxims.moc"
