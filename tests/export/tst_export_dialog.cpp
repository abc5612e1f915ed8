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

// Goals around the default range of 10 March 2018, one item "item <key>" each; the delivered template.
void Prepare(const QString& dataDir)
{
    QVERIFY(QFile::copy(ShippedFilesDir(qEnvironmentVariable("JOTRAK_BIN_DIR")) + QStringLiteral("/1.xls"),
                        dataDir + QStringLiteral("/1.xls")));
    ConnectionHolder c;
    OpenDatabase(c, DatabaseFile(dataDir));
    SeedPeriodTables(c);
    for (const char* key : {"2018", "2019", "201801", "20180207", "20180208", "20180310", "20180311"}) {
        const Table table = strlen(key) == 4 ? Table::Nian : strlen(key) == 6 ? Table::Yue : Table::Ri;
        const QString k = QString::fromLatin1(key);
        AddItem(c, table, SetGoal(c, table, k, QStringLiteral("goal ") + k), QStringLiteral("item ") + k, {},
                k == u"2018");
    }
}

// The rows a workbook export added, "key|item|done".
QStringList Exported(const QString& path)
{
    QStringList rows;
    const SheetCells cells = ReadSheetWithFreeXl(path).value_or(SheetCells(3, {"unreadable", "", "", ""}));
    for (std::size_t r = 2; r < cells.size(); ++r)
        rows << cells[r][0] + u'|' + cells[r][1] + u'|' + cells[r][3];
    return rows;
}

} // namespace

class TestExportDialog : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    QTemporaryDir out;

    // Runs command 127 with steps on the dialog (then closed with -1 if open); returns its result.
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
    // Presses an export button, Save-As answering file (cancelled when empty); returns the path.
    QString press(ExportDialog* d, const char* button, const QString& file, const char* from = nullptr,
                  const char* to = nullptr)
    {
        if (from) {
            In<QLineEdit>(d, "fromEdit")->setText(QString::fromLatin1(from));
            In<QLineEdit>(d, "toEdit")->setText(QString::fromLatin1(to));
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

    // Opens on the last 30 days, all items; Enter gives 1, Escape or 取消 2; Enter on an export button runs it.
    void openingAndClosing()
    {
        for (int round = 0; round < 2; ++round)
            QCOMPARE(run([](ExportDialog* d) {
                         QCOMPARE(d->windowTitle(), QStringLiteral("目标导出"));
                         QCOMPARE(In<QLineEdit>(d, "fromEdit")->text() + In<QLineEdit>(d, "toEdit")->text(),
                                  QStringLiteral("2018020820180310"));
                         QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("filterAllRadio"))->isChecked());
                         d->findChild<QRadioButton*>(QStringLiteral("filterOpenRadio"))->click();
                         In<QLineEdit>(d, "fromEdit")->setText(QStringLiteral("2019"));
                         QTest::keyClick(In<QLineEdit>(d, "toEdit"), Qt::Key_Return);
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

    // Asks the file, exports with keys cut and filter, opens it; cancel, refusals and failures told; dialog stays.
    void exportsAndTheirFailures()
    {
        run([this](ExportDialog* d) {
            const QString days = press(d, "exportDayItemsButton", QStringLiteral("days.xls"));
            QCOMPARE(Exported(days), (QStringList{"20180208|item 20180208|未完成", "20180310|item 20180310|未完成"}));
            QCOMPARE(testing::ShellSeam::Opened(), QStringList{days});
            const auto& asked = testing::FileDialogSeam::Requests().constFirst();
            QCOMPARE(asked.kind + asked.title + asked.filter + asked.defaultSuffix,
                     QStringLiteral("save请选择要保存的文件名称Excel文件(*.xls)xls"));
            const QByteArray line = QByteArray(64, '*') + "\r\n";
            QCOMPARE(ReadBytes(press(d, "exportYearGoalsButton", QStringLiteral("y.txt"))),
                     line + "2018\r\ngoal 2018\r\n" + line);
            QCOMPARE(testing::FileDialogSeam::Requests().constFirst().filter +
                         testing::FileDialogSeam::Requests().constFirst().defaultSuffix,
                     QStringLiteral("文本文件(*.txt)txt"));
            d->findChild<QRadioButton*>(QStringLiteral("filterDoneRadio"))->click();
            QCOMPARE(Exported(press(d, "exportYearItemsButton", QStringLiteral("done.xls"), "2017", "2019")),
                     QStringList{"2018|item 2018|OK"});
            d->findChild<QRadioButton*>(QStringLiteral("filterOpenRadio"))->click();
            QCOMPARE(Exported(press(d, "exportYearItemsButton", QStringLiteral("open.xls"))),
                     QStringList{"2019|item 2019|未完成"});
            QVERIFY(AppFixture::messages().isEmpty());

            press(d, "exportMonthGoalsButton", {});
            QCOMPARE(AppFixture::texts(), QStringList());
            const QString old = out.filePath(QStringLiteral("old.txt"));
            QVERIFY(WriteBytes(old, "old content"));
            press(d, "exportDayGoalsButton", QStringLiteral("old.txt"), "2018", "20180310");
            QCOMPARE(AppFixture::texts(), QStringList{"请输入一个大于20170101的日子"});
            QCOMPARE(ReadBytes(old), QByteArray("old content"));
            AddItem(fx->db(), Table::Ri, GoalId(fx->db(), Table::Ri, QStringLiteral("20180301")), QString(40000, u'x'));
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
