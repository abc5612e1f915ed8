// Dialog 129 inside a running program, exporting for real.

#include "xls_samples.h"

#include "support/app_fixture.h"
#include "support/bytes.h"
#include "support/database.h"

#include "app/command_ids.h"
#include "data/seed.h"
#include "export/excel_export.h"
#include "export/export_dialog.h"
#include "shell/data_folder.h"

#include <QRadioButton>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Goals on both sides of the default range of 10 March 2018, each with one item
// "item <key>", and the delivered template.
void Prepare(const QString& dataDir)
{
    QVERIFY(QFile::copy(ShippedFilesDir(qEnvironmentVariable("JOTRAK_BIN_DIR")) + QStringLiteral("/1.xls"),
                        dataDir + QStringLiteral("/1.xls")));
    ConnectionHolder c;
    OpenDatabase(c, DatabaseFile(dataDir));
    SeedPeriodTables(c);
    for (const char* key : {"2018", "2019", "201801", "201802", "201803", "201804", "20180207", "20180208", "20180220",
                            "20180310", "20180311"}) {
        const Table table = strlen(key) == 4 ? Table::Nian : strlen(key) == 6 ? Table::Yue : Table::Ri;
        const QString k = QString::fromLatin1(key);
        AddItem(c, table, SetGoal(c, table, k, QStringLiteral("goal ") + k), QStringLiteral("item ") + k, {},
                k == u"2018");
    }
}

// What an exported file holds: the keys of the goals with a text in a text file, "key|item|done" of a workbook.
QStringList Exported(const QString& path)
{
    QStringList rows;
    if (path.endsWith(QStringLiteral(".txt"))) {
        const QStringList lines = QString::fromLatin1(ReadBytes(path)).split(QStringLiteral("\r\n"));
        for (qsizetype i = 0; i + 1 < lines.size(); ++i)
            if (lines[i] == QString(64, u'*') && !lines.value(i + 2).isEmpty())
                rows << lines[i + 1];
        return rows;
    }
    const SheetCells cells = ReadSheetWithFreeXl(path).value_or(SheetCells{{"unreadable", "", "", ""}});
    for (std::size_t r = cells.size() == 1 ? 0 : 2; r < cells.size(); ++r)
        rows << cells[r][0] + u'|' + cells[r][1] + u'|' + cells[r][3];
    return rows;
}

} // namespace

class TestExportDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    QTemporaryDir out;

    // Runs command 127; the steps act on the open dialog, which is closed with
    // -1 afterwards when still open. Returns the dialog's result.
    int run(const std::function<void(ExportDialog*)>& steps)
    {
        int result = -2;
        fx->modals.next<ExportDialog>([&](ExportDialog* d) {
            steps(d);
            if (d->isVisible())
                d->done(-1);
            result = d->result();
        });
        fx->command(kCmdExportGoals);
        return result;
    }
    // Presses an export button with a range (when given); Save-As answers file, or
    // is cancelled when file is empty. Returns the chosen path.
    QString press(ExportDialog* d, const char* button, const QString& file, const QString& from = {},
                  const QString& to = {})
    {
        if (!from.isNull()) {
            d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->setText(from);
            d->findChild<QLineEdit*>(QStringLiteral("toEdit"))->setText(to);
        }
        const QString path = file.isEmpty() ? QString() : out.filePath(file);
        testing::FileDialogSeam::Clear();
        testing::ShellSeam::Clear();
        AppFixture::clearMessages();
        testing::FileDialogSeam::QueueAnswer(path.isEmpty() ? std::nullopt : std::optional<QString>(path));
        d->findChild<QPushButton*>(QLatin1String(button))->click();
        return path;
    }

private slots:
    void init()
    {
        AppFixtureOptions options;
        options.now = QDateTime(QDate(2018, 3, 10), QTime(10, 0));
        options.prepare = Prepare;
        fx = std::make_unique<AppFixture>(options);
    }
    void cleanup()
    {
        QCOMPARE(fx->modals.unexpected(), 0);
        fx.reset();
    }

    // The dialog opens on the last 30 days and all items, afresh each time; it
    // closes with 1 on Enter outside a button, 2 on Escape or 取消.
    // Enter on a focused export button runs that export.
    void openingAndClosing()
    {
        QCOMPARE(run([](ExportDialog* d) {
                     QCOMPARE(d->windowTitle(), QStringLiteral("目标导出"));
                     QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->text(), QStringLiteral("20180208"));
                     QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("toEdit"))->text(), QStringLiteral("20180310"));
                     QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("filterAllRadio"))->isChecked());
                     d->findChild<QRadioButton*>(QStringLiteral("filterOpenRadio"))->click();
                     d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->setText(QStringLiteral("2019"));
                     QTest::keyClick(d->findChild<QLineEdit*>(QStringLiteral("toEdit")), Qt::Key_Return);
                 }),
                 1);
        QCOMPARE(run([](ExportDialog* d) {
                     QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->text(), QStringLiteral("20180208"));
                     QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("filterAllRadio"))->isChecked());
                     QTest::keyClick(d->findChild<QRadioButton*>(QStringLiteral("filterDoneRadio")), Qt::Key_Enter,
                                     Qt::KeypadModifier);
                 }),
                 1);
        testing::FileDialogSeam::Clear();
        QCOMPARE(run([](ExportDialog* d) {
                     auto* button = d->findChild<QPushButton*>(QStringLiteral("exportDayGoalsButton"));
                     button->setFocus();
                     QTest::keyClick(button, Qt::Key_Return);
                 }),
                 -1);
        QCOMPARE(testing::FileDialogSeam::Requests().size(), 1);
        QCOMPARE(run([](ExportDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }), 2);
        QCOMPARE(run([](ExportDialog* d) { d->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click(); }), 2);
        QVERIFY(AppFixture::messages().isEmpty());
    }

    // The file is asked for first (text or workbook); the keys reach the writers
    // cut, both ends included, with the chosen filter; the file is opened after.
    void exportsReachTheWriters()
    {
        run([this](ExportDialog* d) {
            const QString days = press(d, "exportDayItemsButton", QStringLiteral("days.xls"));
            QCOMPARE(Exported(days), (QStringList{"20180208|item 20180208|未完成", "20180220|item 20180220|未完成",
                                                  "20180310|item 20180310|未完成"}));
            QCOMPARE(testing::ShellSeam::Opened(), QStringList{days});
            const auto& asked = testing::FileDialogSeam::Requests().constFirst();
            QCOMPARE(asked.kind + asked.title + asked.filter + asked.defaultSuffix,
                     QStringLiteral("save请选择要保存的文件名称Excel文件(*.xls)xls"));
            QCOMPARE(Exported(press(d, "exportYearGoalsButton", QStringLiteral("y.txt"))), QStringList{"2018"});
            QCOMPARE(testing::FileDialogSeam::Requests().constFirst().filter +
                         testing::FileDialogSeam::Requests().constFirst().defaultSuffix,
                     QStringLiteral("文本文件(*.txt)txt"));
            QCOMPARE(Exported(press(d, "exportYearGoalsButton", QStringLiteral("y2.txt"), "20170101", "2018xyz")),
                     QStringList{"2018"});
            QCOMPARE(Exported(press(d, "exportMonthItemsButton", QStringLiteral("m2.xls"), "201801xyz", "201801")),
                     QStringList{"201801|item 201801|未完成"});
            d->findChild<QRadioButton*>(QStringLiteral("filterDoneRadio"))->click();
            QCOMPARE(Exported(press(d, "exportYearItemsButton", QStringLiteral("done.xls"), "2017", "2019")),
                     QStringList{"2018|item 2018|OK"});
            d->findChild<QRadioButton*>(QStringLiteral("filterOpenRadio"))->click();
            QCOMPARE(Exported(press(d, "exportYearItemsButton", QStringLiteral("open.xls"))),
                     QStringList{"2019|item 2019|未完成"});
            QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->text(), QStringLiteral("2017"));
            QVERIFY(AppFixture::messages().isEmpty());
        });
    }

    // A cancelled Save-As says nothing; a refused range leaves an old file alone;
    // a bad template, a cut text and an unwritable file are told. The dialog stays.
    void failuresAreTold()
    {
        AddItem(fx->db(), Table::Ri, GoalId(fx->db(), Table::Ri, QStringLiteral("20180301")), QString(40000, u'x'));
        run([this](ExportDialog* d) {
            press(d, "exportMonthGoalsButton", {}, {}, QStringLiteral("x"));
            QCOMPARE(AppFixture::texts(), QStringList());
            const QString old = out.filePath(QStringLiteral("old.txt"));
            QVERIFY(WriteBytes(old, "old content"));
            press(d, "exportDayGoalsButton", QStringLiteral("old.txt"), QStringLiteral("2018"),
                  QStringLiteral("20180310"));
            QCOMPARE(AppFixture::texts(), QStringList{"请输入一个大于20170101的日子"});
            QCOMPARE(ReadBytes(old), QByteArray("old content"));
            const QString cut = press(d, "exportDayItemsButton", QStringLiteral("long.xls"), "20180301", "20180301");
            QCOMPARE(AppFixture::texts(), (QStringList{"导出完成,但有 1 段文字超过了 Excel 单元格最多能容纳的 32767 "
                                                       "个字符,在表格中被截短了:\n目标 20180301 第 1 项的工作内容\n"
                                                       "数据库中的原文没有改动。",
                                                       "caption: 部分文字被截短"}));
            QCOMPARE(testing::ShellSeam::Opened(), QStringList{cut});
            press(d, "exportDayGoalsButton", QStringLiteral("no such folder/goals.txt"));
            QCOMPARE(AppFixture::messages().size(), 1);
            QVERIFY(testing::ShellSeam::Opened().isEmpty());
            QVERIFY(WriteBytes(fx->dataDir() + QStringLiteral("/1.xls"), QByteArray(4096, '\x5a')));
            press(d, "exportYearItemsButton", QStringLiteral("bad.xls"));
            QCOMPARE(AppFixture::texts(),
                     (QStringList{kWorkbookFailedMessage, QStringLiteral("caption: ") + kWorkbookFailedCaption}));
            QVERIFY(!QFile::exists(out.filePath(QStringLiteral("bad.xls"))) && testing::ShellSeam::Opened().isEmpty());
            QVERIFY(d->isVisible());
        });
    }
};

QTEST_MAIN(TestExportDialog)
#include "tst_export_dialog.moc"
