#include "app/program.h"
#include "app/translation.h"
#include "app/test_app_fixture.h"
#include "data/record_access.h"
#include "data/seed.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
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

    // Today's year, month and day have rows on a file of 2018 to 2037 from 2038 on.
    void aFileOfTwentyYearsGrowsWithTheClock_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<int>("years");
        QTest::addColumn<int>("days");
        QTest::newRow("2037-12-31") << QDate(2037, 12, 31) << 20 << 7305;
        QTest::newRow("2038-01-01") << QDate(2038, 1, 1) << 22 << 8035;
        QTest::newRow("2040-06-15") << QDate(2040, 6, 15) << 24 << 8766;
    }
    void aFileOfTwentyYearsGrowsWithTheClock()
    {
        QFETCH(QDate, today);
        QFETCH(int, years);
        QFETCH(int, days);
        AppFixtureOptions options;
        options.now = QDateTime(today, QTime(9, 0));
        options.prepare = [](const QString& exeDir) {
            ConnectionHolder connection;
            OpenDatabase(connection, DatabasePath(exeDir));
            SeedPeriodTables(connection);
        };
        AppFixture fx(options);
        QCOMPARE(RowCount(Table::Nian), years);
        QCOMPARE(RowCount(Table::Ri), days);
        QCOMPARE(AppFixture::messages().size(), 0); // no "not found" for today's goals
    }

    // Qt's own texts read Chinese: standard buttons, file dialogs, the replace
    // prompt, the edit boxes' context menus.
    void qtsOwnTextsReadChinese()
    {
        QVERIFY(InstallQtTranslation());
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.show();
        QCOMPARE(dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"))->text(), QStringLiteral("查找范围："));
        QStringList buttons;
        for (QAbstractButton* button : dialog.findChild<QDialogButtonBox*>()->buttons())
            buttons << button->text();
        QCOMPARE(buttons, (QStringList{QStringLiteral("保存(&S)"), QStringLiteral("取消")}));
        // the replace prompt's question and buttons, the edit boxes' menus
        const char* const texts[][3] = {
            {"QFileDialog", "%1 already exists.\nDo you want to replace it?", "%1 已存在。\n您想要替换它吗？"},
            {"QPlatformTheme", "&Yes", "是(&Y)"},
            {"QPlatformTheme", "&No", "否(&N)"},
            {"QLineEdit", "&Copy", "复制(&C)"},
            {"QWidgetTextControl", "&Copy", "复制(&C)"}};
        for (const auto& text : texts)
            QCOMPARE(QCoreApplication::translate(text[0], text[1]), QString::fromUtf8(text[2]));
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
