#include "support/bytes.h"
#include "settings/maxim_file.h"
#include "settings/maxims.h"
#include "shell/data_folder.h"

#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// The maxims of a data folder whose gey.txt holds bytes.
QStringList Lines(const QByteArray& bytes)
{
    QTemporaryDir dir;
    WriteBytes(dir.filePath(QStringLiteral("gey.txt")), bytes);
    MaximList list;
    LoadMaxims(list, dir.path());
    return list.lines;
}

} // namespace

class TestMaxims : public QObject {
    Q_OBJECT

private slots:
    // Up to three line breaks part two lines, each further one adds an empty line; GBK or GB18030 up to a NUL.
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
        QCOMPARE(Lines(bytes), lines);
    }

    // Unchanged lines keep their bytes, edited ones are GB18030 + CR LF, read back as shown. "+text" appends, "=N text"
    // replaces line N, "-N" removes it; a change to nothing is refused, but for the same text again.
    void theEditorWritesBackWhatItDidNotChange_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QByteArray>("written");
        const QByteArray mixed("A\r\n\r\nB\xff\nC\rD");
        QTest::newRow("unchanged: blank line, LF, CR, bad byte, no last break") << mixed << "" << mixed;
        QTest::newRow("unchanged: after a NUL") << QByteArray("A\nB\0C\n", 7) << "" << QByteArray("A\nB\0C\n", 7);
        QTest::newRow("append after a line without a break") << mixed << "+业" << mixed + "\r\n\xd2\xb5\r\n";
        QTest::newRow("append before a NUL") << QByteArray("A\0B", 3) << "+C" << QByteArray("A\r\nC\r\n\0B", 8);
        QTest::newRow("replace keeps the blank line after")
            << mixed << "=0 业" << QByteArray("\xd2\xb5\r\n\r\nB\xff\nC\rD");
        QTest::newRow("replace the last line") << mixed << "=3 X" << QByteArray("A\r\n\r\nB\xff\nC\rX\r\n");
        QTest::newRow("replace with the same text") << mixed << "=2 C" << mixed;
        QTest::newRow("a typed break becomes a blank") << mixed << "=2 X\nY" << QByteArray("A\r\n\r\nB\xff\nX Y\r\nD");
        QTest::newRow("remove with its blank line") << mixed << "-0" << QByteArray("B\xff\nC\rD");
        QTest::newRow("blank refused") << mixed << "+ \u3000" << mixed;
    }
    void theEditorWritesBackWhatItDidNotChange()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, edit);
        QFETCH(QByteArray, written);
        MaximFile file = ParseMaximFile(bytes);
        QCOMPARE(MaximTexts(file), Lines(bytes));
        const int index = edit.section(u' ', 0, 0).mid(1).toInt();
        const bool taken = (edit.startsWith(u'+') && AppendMaxim(file, edit.mid(1))) ||
                           (edit.startsWith(u'=') && ReplaceMaxim(file, index, edit.section(u' ', 1))) ||
                           (edit.startsWith(u'-') && RemoveMaxim(file, index));
        QCOMPARE(taken, written != bytes || edit == u"=2 C");
        QCOMPARE(SerializeMaximFile(file), written);
        QCOMPARE(MaximTexts(file), Lines(written));
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
