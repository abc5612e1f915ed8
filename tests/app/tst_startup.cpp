#include "app/program.h"
#include "app/test_app_fixture.h"
#include "data/record_access.h"

#include <QFile>
#include <QTest>

using namespace jotrak;
using jotrak::test::AppFixture;
using jotrak::test::AppFixtureOptions;

namespace {

int RowCount(Table table)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), App().connection);
    return rs.rowCount();
}

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        testing::MessageBoxSeam::Disable();
        Clock::Reset();
    }

    void theContextIsTakenInOrder()
    {
        AppFixtureOptions options;
        options.now = QDateTime(QDate(2024, 2, 29), QTime(7, 45, 12));
        AppFixture fx(options);
        const AppContext& app = fx.app();
        QCOMPARE(app.exeDir, fx.exeDir());
        QCOMPARE(app.startTime, options.now);
        QCOMPARE(app.windowRect, fx.window()->frameGeometry());
        QCOMPARE(app.fontSong12.pixelSize(), 12);
        QCOMPARE(app.fontKai18.pixelSize(), 18);
        QCOMPARE(app.fontKai12.pixelSize(), 12);
        QCOMPARE(app.fontKai18.weight(), QFont::Thin);
        QVERIFY(app.connection.isOpen());
        QCOMPARE(app.connection.path(), DatabasePath(fx.exeDir()));
        QCOMPARE(app.DayKeyEdit->text(), QStringLiteral("20240229"));
    }

    void theFirstStartCreatesAndSeedsTheDatabase()
    {
        AppFixture fx;
        QVERIFY(QFile::exists(fx.exeDir() + QStringLiteral("/Dt/db.mdb")));
        QCOMPARE(RowCount(Table::Nian), 20);
        QCOMPARE(RowCount(Table::Yue), 240);
        QCOMPARE(RowCount(Table::Ri), 7305);
        QCOMPARE(RowCount(Table::An), 18);
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void aSecondStartAddsNoRows()
    {
        QTemporaryDir keep;
        {
            AppFixtureOptions options;
            AppFixture first(options);
            CloseConnection(first.app().connection);
            QVERIFY(QFile::copy(DatabasePath(first.exeDir()), keep.filePath(QStringLiteral("db.mdb"))));
        }
        AppFixtureOptions options;
        options.prepare = [&keep](const QString& exeDir) {
            QVERIFY(QFile::copy(keep.filePath(QStringLiteral("db.mdb")), DatabasePath(exeDir)));
        };
        AppFixture second(options);
        QCOMPARE(RowCount(Table::Nian), 20);
        QCOMPARE(RowCount(Table::Ri), 7305);
    }

    void anUnreadableDatabaseIsNamedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("text file") << QByteArray("这不是数据库\n");
        QTest::newRow("truncated header") << QByteArray("SQLite format 3");
    }
    void anUnreadableDatabaseIsNamedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath(QStringLiteral("Dt"));
        const QString path = DatabasePath(dir.path());
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        testing::MessageBoxSeam::Enable();
        QCOMPARE(RunProgram(dir.path()), 1);
        QCOMPARE(testing::MessageBoxSeam::Shown().size(), 1);
        const QString text = testing::MessageBoxSeam::Shown().first().text;
        QVERIFY2(text.contains(QStringLiteral("db.mdb")), qPrintable(text));
        QCOMPARE(ReadAll(path), content);
        QVERIFY(!HasApp());
    }

    void aDataFolderThatCannotHoldTheFileIsNamed()
    {
        QTemporaryDir dir;
        {
            QFile blocker(dir.filePath(QStringLiteral("Dt")));
            QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        }
        testing::MessageBoxSeam::Enable();
        QCOMPARE(RunProgram(dir.path()), 1);
        QCOMPARE(testing::MessageBoxSeam::Shown().size(), 1);
        QVERIFY(testing::MessageBoxSeam::Shown().first().text.contains(QStringLiteral("db.mdb")));
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
