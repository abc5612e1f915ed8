#include "settings/maxims.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <random>
#include <unistd.h>

using namespace jotrak;

namespace {

// A program folder with Dt/gey.txt holding bytes.
class ProgramDir {
public:
    ProgramDir() { QDir(dir_.path()).mkdir(QStringLiteral("Dt")); }

    QString path() const { return dir_.path(); }
    QString maximFile() const { return dir_.filePath(QStringLiteral("Dt/gey.txt")); }

    void write(const QByteArray& bytes) const
    {
        QFile file(maximFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    MaximList load() const
    {
        MaximList list;
        LoadMaxims(list, path());
        return list;
    }

private:
    QTemporaryDir dir_;
};

QByteArray Repeat(const char* piece, int times)
{
    return QByteArray(piece).repeated(times);
}

} // namespace

class TestMaxims : public QObject {
    Q_OBJECT

private slots:
    // Line splitting

    void split_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        const QString a = QStringLiteral("A");
        const QString b = QStringLiteral("B");
        QTest::newRow("CR LF") << QByteArray("A\r\nB\r\n") << QStringList{a, b};
        QTest::newRow("LF") << QByteArray("A\nB\n") << QStringList{a, b};
        QTest::newRow("CR") << QByteArray("A\rB\r") << QStringList{a, b};
        QTest::newRow("no break at the end") << QByteArray("A\r\nB") << QStringList{a, b};
        QTest::newRow("three CR LF") << "A" + Repeat("\r\n", 3) + "B" << QStringList{a, b};
        QTest::newRow("four CR LF") << "A" + Repeat("\r\n", 4) + "B" << QStringList{a, QString(), b};
        QTest::newRow("three LF") << QByteArray("A\n\n\nB") << QStringList{a, b};
        QTest::newRow("four LF") << QByteArray("A\n\n\n\nB") << QStringList{a, QString(), b};
        QTest::newRow("three CR") << QByteArray("A\r\r\rB") << QStringList{a, b};
        QTest::newRow("four CR") << QByteArray("A\r\r\r\rB") << QStringList{a, QString(), b};
        QTest::newRow("begins with a break") << QByteArray("\r\nA\r\n") << QStringList{QString(), a};
        QTest::newRow("one break only") << QByteArray("\r\n") << QStringList{QString()};
        QTest::newRow("three breaks only") << Repeat("\r\n", 3) << QStringList{QString()};
        QTest::newRow("four breaks only") << Repeat("\r\n", 4) << QStringList{QString(), QString()};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
        QTest::newRow("NUL ends the text") << QByteArray("A\r\nB\0C\r\nD", 10) << QStringList{a, b};
    }
    void split()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        ProgramDir dir;
        dir.write(bytes);
        QCOMPARE(dir.load().lines, lines);
    }

    void nextLineMovesTheCursor()
    {
        const QString text = QStringLiteral("one\r\ntwo");
        QString slot = QStringLiteral("stale");
        qsizetype cursor = 0;
        QVERIFY(NextMaximLine(slot, text, cursor));
        QCOMPARE(slot, QStringLiteral("one"));
        QCOMPARE(cursor, qsizetype{5});
        QVERIFY(NextMaximLine(slot, text, cursor));
        QCOMPARE(slot, QStringLiteral("two"));
        QCOMPARE(cursor, text.size());
        QVERIFY(!NextMaximLine(slot, text, cursor));
        QVERIFY(slot.isEmpty());
    }

    // Reading the file

    void gbkAndGb18030AreDecoded()
    {
        ProgramDir dir;
        // 业精于勤 in GBK, then a character only GB18030 has (four bytes).
        dir.write(QByteArray::fromHex("d2b5beabd3dac7da0d0a95328236"));
        const MaximList list = dir.load();
        QCOMPARE(list.lines, (QStringList{QStringLiteral("业精于勤"), QString::fromUcs4(U"\U00020000")}));
    }

    void deliveredFileHoldsMaxims()
    {
        const QString binDir = qEnvironmentVariable("JOTRAK_BIN_DIR");
        if (!QFile::exists(binDir + QStringLiteral("/Dt/gey.txt")))
            QSKIP("the data folder has not been built");
        MaximList list;
        LoadMaxims(list, binDir);
        QVERIFY(list.count() >= 10);
        QVERIFY(list.lines.contains(QStringLiteral("业精于勤，荒于嬉；行成于思，毁于随。")));
        for (const QString& line : list.lines)
            QVERIFY2(!line.isEmpty() && !line.contains(QChar::ReplacementCharacter), qPrintable(line));
    }

    void everyLineIsKept()
    {
        QByteArray bytes;
        for (int i = 1; i <= 250; ++i)
            bytes += "maxim " + QByteArray::number(i) + "\r\n";
        ProgramDir dir;
        dir.write(bytes);
        const MaximList list = dir.load();
        QCOMPARE(list.count(), 250);
        QCOMPARE(list.lines.last(), QStringLiteral("maxim 250"));
    }

    void longLineIsKeptWhole()
    {
        ProgramDir dir;
        dir.write(QByteArray::fromHex("d2b5").repeated(150) + "\r\nB\r\n"); // 300 bytes of 业
        const MaximList list = dir.load();
        QCOMPARE(list.lines, (QStringList{QString(150, QChar(u'业')), QStringLiteral("B")}));
    }

    void loadingAgainReplacesTheList()
    {
        ProgramDir dir;
        dir.write("A\r\nB\r\n");
        MaximList list;
        LoadMaxims(list, dir.path());
        LoadMaxims(list, dir.path());
        QCOMPARE(list.count(), 2);
    }

    void fileBeyondTheLimitKeepsWholeLines()
    {
        const QByteArray line = QByteArray(98, 'x') + "\r\n";
        const int fullLines = static_cast<int>(kMaximFileReadLimit / line.size());
        ProgramDir dir;
        dir.write(line.repeated(fullLines + 1000));
        const MaximList list = dir.load();
        QCOMPARE(list.count(), fullLines);
        QCOMPARE(list.lines.last(), QString(98, u'x'));
    }

    // Files that are missing or not text

    void missingFileIsCreatedEmpty()
    {
        ProgramDir dir;
        const MaximList list = dir.load();
        QCOMPARE(list.count(), 0);
        QFile file(dir.maximFile());
        QVERIFY(file.exists());
        QCOMPARE(file.size(), qint64{0});
    }

    void missingFolderGivesNoMaxims()
    {
        QTemporaryDir bare;
        MaximList list;
        list.lines << QStringLiteral("old");
        LoadMaxims(list, bare.path());
        QCOMPARE(list.count(), 0);
        QVERIFY(!QFile::exists(bare.filePath(QStringLiteral("Dt"))));
    }

    void unreadableFileGivesNoMaxims()
    {
        ProgramDir dir;
        QVERIFY(QDir().mkdir(dir.maximFile())); // a folder where the file should be
        QCOMPARE(dir.load().count(), 0);
    }

    void fileWithoutReadPermissionGivesNoMaxims()
    {
        if (::geteuid() == 0)
            QSKIP("root reads every file");
        ProgramDir dir;
        dir.write("A\r\n");
        QVERIFY(QFile::setPermissions(dir.maximFile(), QFileDevice::WriteOwner));
        QCOMPARE(dir.load().count(), 0);
    }

    void binaryFileDoesNotCrash()
    {
        std::mt19937 random(7);
        QByteArray bytes(256 * 1024, '\0');
        for (char& byte : bytes)
            byte = static_cast<char>(1 + random() % 255); // no NUL, so the whole file is read
        ProgramDir dir;
        dir.write(bytes);
        const MaximList list = dir.load();
        QVERIFY(list.count() > 0);
        for (const QString& line : list.lines)
            QVERIFY(!line.contains(u'\r') && !line.contains(u'\n'));
    }

    // Choosing the maxim shown

    void noMaximsGivesEmptyText() { QVERIFY(ChooseMaxim(MaximList{}, 1516500000).isEmpty()); }

    void choiceIsFixedBySecondsAndReachesEveryLine()
    {
        const MaximList list{{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}};
        QCOMPARE(ChooseMaxim(list, 1516500000), ChooseMaxim(list, 1516500000));
        QSet<QString> seen;
        for (qint64 seconds = 1516500000; seconds < 1516500200; ++seconds) {
            const QString maxim = ChooseMaxim(list, seconds);
            QVERIFY(list.lines.contains(maxim));
            seen.insert(maxim);
        }
        QCOMPARE(seen.size(), 4);
    }
};

QTEST_APPLESS_MAIN(TestMaxims)
#include "tst_maxims.moc"
