// Where the data lives: which folder a start uses, and what a data folder is given of the shipped files.
#include "support/bytes.h"
#include "shell/data_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;

class TestDataFolder : public QObject {
    Q_OBJECT

private slots:
    // The program's folder and --data-dir choose data folder and settings file; nothing is made.
    void theFolderAStartUses_data()
    {
        QTest::addColumn<QString>("besideProgram"); // what <program>/Dt is
        QTest::addColumn<QString>("chosen");        // --data-dir
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("settings");
        const char* user[] = {"home/data/Dt", "home/config/jotrak.ini"};
        const char* const rows[][5] = {
            {"writable Dt beside the program: portable", "folder", "", "program/Dt", "program/Dt/jotrak.ini"},
            {"a file named Dt beside the program", "file", "", user[0], user[1]},
            {"fresh home, nothing beside the program", "", "", user[0], user[1]},
            {"--data-dir wins over a portable Dt", "folder", "synced/log", "synced/log", user[1]},
        };
        for (const auto& [name, beside, chosen, folder, settings] : rows)
            QTest::newRow(name) << beside << chosen << folder << settings;
    }
    void theFolderAStartUses()
    {
        QFETCH(QString, besideProgram);
        QFETCH(QString, chosen);
        QFETCH(QString, folder);
        QFETCH(QString, settings);
        QTemporaryDir root;
        const QDir at(root.path());
        at.mkpath(QStringLiteral("program"));
        if (besideProgram == QStringLiteral("file"))
            QVERIFY(WriteBytes(at.filePath(QStringLiteral("program/Dt")), "not a folder"));
        else if (!besideProgram.isEmpty())
            at.mkpath(QStringLiteral("program/Dt"));

        const DataFolder chosenFolder = ChooseDataFolder(
            {at.filePath(QStringLiteral("program")), at.filePath(QStringLiteral("home/data")),
             at.filePath(QStringLiteral("home/config")), chosen.isEmpty() ? chosen : at.filePath(chosen)});
        QCOMPARE(chosenFolder.path, at.filePath(folder));
        QCOMPARE(chosenFolder.settingsFile, at.filePath(settings));
        QCOMPARE(chosenFolder.portable, folder.startsWith(QStringLiteral("program")));
        QVERIFY(!at.exists(QStringLiteral("home")) && !at.exists(QStringLiteral("synced"))); // choosing makes nothing
    }

    // Shipped files are copied, and later follow newer ones unless the user changed them; others are not looked at.
    void theShippedFilesAreGivenWithoutTouchingTheUsers()
    {
        QTemporaryDir root;
        const QDir shipped(root.filePath(QStringLiteral("share/jotrak/Dt")));
        const QDir data(root.filePath(QStringLiteral("home/.local/share/Jotrak/Dt")));
        const auto ship = [&shipped](const char* name, const QByteArray& bytes) {
            QVERIFY(WriteBytes(shipped.filePath(QString::fromLatin1(name)), bytes));
        };
        const auto in = [&data] {
            QByteArrayList files;
            for (const char* name : {"changed.txt", "kept.txt", "removed.txt", "start.html", "db.mdb"})
                files << ReadBytes(data.filePath(QString::fromLatin1(name)));
            return files.join(',');
        };
        for (const char* name : {"changed.txt", "kept.txt", "removed.txt", "start.html"})
            ship(name, QByteArray(name) + " 1");
        QCOMPARE(MakeDataFolder(data.path()), QString());
        QVERIFY(WriteBytes(data.filePath(QStringLiteral("start.html")), "the user's own page"));
        QCOMPARE(GiveShippedFiles(data.path(), shipped.path()), QString());
        QCOMPARE(in(), QByteArray("changed.txt 1,kept.txt 1,removed.txt 1,the user's own page,"));

        QVERIFY(WriteBytes(data.filePath(QStringLiteral("changed.txt")), "the user's maxims"));
        QVERIFY(QFile::remove(data.filePath(QStringLiteral("removed.txt"))));
        QVERIFY(WriteBytes(data.filePath(QStringLiteral("db.mdb")), "the log"));
        for (const char* name : {"changed.txt", "kept.txt", "removed.txt", "start.html", "db.mdb"})
            ship(name, QByteArray(name) + " 2");
        QCOMPARE(GiveShippedFiles(data.path(), shipped.path()), QString());
        QCOMPARE(in(), QByteArray("the user's maxims,kept.txt 2,removed.txt 2,the user's own page,the log"));
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_data_folder.moc"
