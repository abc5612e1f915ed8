// Where the data lives: which folder a start uses, and what a data folder is
// given of the shipped files.
#include "shell/data_folder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace jotrak;

namespace {

void Write(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

} // namespace

class TestDataFolder : public QObject {
    Q_OBJECT

private slots:
    void theFolderAStartUses_data()
    {
        QTest::addColumn<QString>("besideProgram"); // what <program>/Dt is
        QTest::addColumn<QString>("chosen");        // --data-dir
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("settings");
        const QString user = QStringLiteral("home/data/Dt");
        const QString userSettings = QStringLiteral("home/config/jotrak.ini");
        QTest::newRow("writable Dt beside the program: portable") << "folder"
                                                                  << ""
                                                                  << "program/Dt"
                                                                  << "program/Dt/jotrak.ini";
        QTest::newRow("read-only Dt beside the program") << "read-only"
                                                         << "" << user << userSettings;
        QTest::newRow("a file named Dt beside the program") << "file"
                                                            << "" << user << userSettings;
        QTest::newRow("fresh home, nothing beside the program") << ""
                                                                << "" << user << userSettings;
        QTest::newRow("--data-dir wins over a portable Dt") << "folder"
                                                            << "synced/log"
                                                            << "synced/log" << userSettings;
    }
    void theFolderAStartUses()
    {
        QFETCH(QString, besideProgram);
        QFETCH(QString, chosen);
        QFETCH(QString, folder);
        QFETCH(QString, settings);
        if (besideProgram == QStringLiteral("read-only") && ::geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        QTemporaryDir root;
        const QDir at(root.path());
        at.mkpath(QStringLiteral("program"));
        if (besideProgram == QStringLiteral("file"))
            Write(at.filePath(QStringLiteral("program/Dt")), "not a folder");
        else if (!besideProgram.isEmpty())
            at.mkpath(QStringLiteral("program/Dt"));
        if (besideProgram == QStringLiteral("read-only"))
            QFile::setPermissions(at.filePath(QStringLiteral("program/Dt")), QFile::ReadOwner | QFile::ExeOwner);

        const DataFolder chosenFolder = ChooseDataFolder(
            {at.filePath(QStringLiteral("program")), at.filePath(QStringLiteral("home/data")),
             at.filePath(QStringLiteral("home/config")), chosen.isEmpty() ? chosen : at.filePath(chosen)});
        QCOMPARE(chosenFolder.path, at.filePath(folder));
        QCOMPARE(chosenFolder.settingsFile, at.filePath(settings));
        QCOMPARE(chosenFolder.portable, folder.startsWith(QStringLiteral("program")));
        QVERIFY(!at.exists(QStringLiteral("home")) && !at.exists(QStringLiteral("synced"))); // choosing makes nothing
    }

    // A new folder gets the shipped files; at a later start, a file the user
    // changed or put there stays, a copy left alone follows a newer shipped
    // file, and a removed one comes back. Files that are not shipped are not looked at.
    void theShippedFilesAreGivenWithoutTouchingTheUsers()
    {
        QTemporaryDir root;
        const QDir shipped(root.filePath(QStringLiteral("share/jotrak/Dt")));
        const QDir data(root.filePath(QStringLiteral("home/.local/share/Jotrak/Dt")));
        const auto ship = [&shipped](const char* name, const QByteArray& bytes) {
            Write(shipped.filePath(QString::fromLatin1(name)), bytes);
        };
        const auto in = [&data](const char* name) { return Read(data.filePath(QString::fromLatin1(name))); };
        for (const char* name : {"changed.txt", "kept.txt", "removed.txt", "start.html"})
            ship(name, QByteArray(name) + " 1");
        Write(data.filePath(QStringLiteral("start.html")), "the user's own page");

        QCOMPARE(PrepareDataFolder(data.path(), shipped.path()), QString());
        QCOMPARE(in("changed.txt"), QByteArray("changed.txt 1"));
        QCOMPARE(in("kept.txt"), QByteArray("kept.txt 1"));
        QCOMPARE(in("removed.txt"), QByteArray("removed.txt 1"));
        QCOMPARE(in("start.html"), QByteArray("the user's own page"));

        Write(data.filePath(QStringLiteral("changed.txt")), "the user's maxims");
        QVERIFY(QFile::remove(data.filePath(QStringLiteral("removed.txt"))));
        Write(data.filePath(QStringLiteral("db.mdb")), "the log");
        for (const char* name : {"changed.txt", "kept.txt", "removed.txt", "start.html", "db.mdb"})
            ship(name, QByteArray(name) + " 2");

        QCOMPARE(PrepareDataFolder(data.path(), shipped.path()), QString());
        QCOMPARE(in("changed.txt"), QByteArray("the user's maxims"));
        QCOMPARE(in("kept.txt"), QByteArray("kept.txt 2"));
        QCOMPARE(in("removed.txt"), QByteArray("removed.txt 2"));
        QCOMPARE(in("start.html"), QByteArray("the user's own page"));
        QCOMPARE(in("db.mdb"), QByteArray("the log"));
    }

    void aFolderThatCannotBeMadeOrWrittenIsNamedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("under a file") << "file/Dt";
        QTest::newRow("read-only folder") << "read-only/Dt";
    }
    void aFolderThatCannotBeMadeOrWrittenIsNamedAndLeftAlone()
    {
        QFETCH(QString, folder);
        QTemporaryDir root;
        const QDir at(root.path());
        Write(at.filePath(QStringLiteral("file")), "a file");
        at.mkpath(QStringLiteral("read-only/Dt"));
        QFile::setPermissions(at.filePath(QStringLiteral("read-only/Dt")), QFile::ReadOwner | QFile::ExeOwner);
        if (folder.startsWith(QStringLiteral("read-only")) && ::geteuid() == 0)
            QSKIP("root writes into a read-only folder");
        Write(at.filePath(QStringLiteral("shipped/gey.txt")), "maxim");

        const QString trouble = PrepareDataFolder(at.filePath(folder), at.filePath(QStringLiteral("shipped")));
        QVERIFY2(trouble.contains(QDir::toNativeSeparators(at.filePath(folder))), qPrintable(trouble));
        QVERIFY(!QFileInfo::exists(at.filePath(folder + QStringLiteral("/gey.txt"))));
        QVERIFY(!QFileInfo::exists(at.filePath(QStringLiteral("file/Dt"))));
    }

    // The built program finds the files the build ships as it finds them installed.
    void theBuiltProgramFindsTheShippedFiles()
    {
        const QDir shipped(ShippedFilesDir(qEnvironmentVariable("JOTRAK_BIN_DIR")));
        for (const char* name : {"gey.txt", "1.xls", "start.html"})
            QVERIFY2(shipped.exists(QString::fromLatin1(name)), name);
    }
};

QTEST_GUILESS_MAIN(TestDataFolder)
#include "tst_data_folder.moc"
