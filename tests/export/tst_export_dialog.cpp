#include "app/test_app_fixture.h"
#include "data/statements.h"
#include "export/excel_export.h"
#include "export/export_dialog.h"
#include "export_test_support.h"

#include <QButtonGroup>
#include <QFile>
#include <QPointer>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace jotrak;
using jotrak::exporttest::ReadFileBytes;
using jotrak::exporttest::ReadSheetWithFreeXl;
using jotrak::exporttest::WriteFileBytes;
using jotrak::test::AppFixture;
using jotrak::test::AppFixtureOptions;

namespace {

const QString kSeparator(64, u'*');

int AddRow(ConnectionHolder& connection, Table table, const std::function<void(RecordsetHolder&)>& fill)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::AnyRow(table), connection);
    AddNewRow(rs);
    fill(rs);
    const int id = GetFieldValue(rs, QStringLiteral("IDME")).toInt();
    StoreRow(rs);
    CloseRecordset(rs);
    return id;
}

// A goal "goal <key>" with one item "item <key>" (done when done is true).
void AddGoalWithItem(ConnectionHolder& connection, Table goalTable, const QString& key, bool done = false)
{
    const int goalId = AddRow(connection, goalTable, [&](RecordsetHolder& rs) {
        SetFieldValue(rs, QStringLiteral("ming"), key);
        SetFieldValue(rs, QStringLiteral("nr"), QStringLiteral("goal ") + key);
    });
    AddRow(connection, ItemTableOf(goalTable), [&](RecordsetHolder& rs) {
        SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
        SetFieldValue(rs, QStringLiteral("nr"), QStringLiteral("item ") + key);
        SetFieldValue(rs, QStringLiteral("IsOk"), done ? 1 : 0);
    });
}

// Goals on both sides of the default range of 10 March 2018, and the delivered template.
void PrepareProgram(const QString& exeDir)
{
    QVERIFY(WriteFileBytes(QDir(exeDir).filePath(QStringLiteral("Dt/1.xls")), exporttest::TemplateBytes()));
    ConnectionHolder connection;
    OpenDatabase(connection, DatabasePath(exeDir));
    for (const char* key : {"2017", "2019", "2020"})
        AddGoalWithItem(connection, Table::Nian, QLatin1String(key));
    AddGoalWithItem(connection, Table::Nian, QStringLiteral("2018"), true);
    for (const char* key : {"201801", "201802", "201803", "201804"})
        AddGoalWithItem(connection, Table::Yue, QLatin1String(key));
    for (const char* key : {"20180207", "20180208", "20180220", "20180310", "20180311"})
        AddGoalWithItem(connection, Table::Ri, QLatin1String(key));
}

// The keys of the goals in an exported text file, in file order.
QStringList TextGoalKeys(const QString& path)
{
    const QStringList lines = QString::fromLatin1(ReadFileBytes(path)).split(QStringLiteral("\r\n"));
    QStringList keys;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == kSeparator && !lines[i + 1].isEmpty())
            keys.append(lines[i + 1]);
    }
    return keys;
}

// Columns A, B and D of every exported row of an exported workbook.
QStringList SheetRows(const QString& path)
{
    QString error;
    const auto cells = ReadSheetWithFreeXl(path, QStringLiteral("Sheet1"), &error);
    if (!cells)
        return {QStringLiteral("<unreadable: %1>").arg(error)};
    QStringList rows;
    for (size_t r = 2; r < cells->size(); ++r) {
        const auto& row = (*cells)[r];
        if (row.size() >= 4 && !row[0].isEmpty())
            rows.append(row[0] + u'|' + row[1] + u'|' + row[3]);
    }
    return rows;
}

struct Case {
    const char* button;
    int lower;
    int upper;
    QString belowMessage;
    QString aboveMessage;
};

const Case kYearGoals{"exportYearGoalsButton", 2017, 2060, QStringLiteral("请输入一个大于2017的年份"),
                      QStringLiteral("请输入一个小于2060的年份")};
const Case kMonthGoals{"exportMonthGoalsButton", 201701, 206012, QStringLiteral("请输入一个大于201701的月份"),
                       QStringLiteral("请输入一个小于206012的月份")};
const Case kDayGoals{"exportDayGoalsButton", 20170101, 20601231, QStringLiteral("请输入一个大于20170101的日子"),
                     QStringLiteral("请输入一个小于20601231的日子")};
const Case kYearItems{"exportYearItemsButton", 2017, 2060, kYearGoals.belowMessage, kYearGoals.aboveMessage};
const Case kMonthItems{"exportMonthItemsButton", 201701, 206012, kMonthGoals.belowMessage, kMonthGoals.aboveMessage};
const Case kDayItems{"exportDayItemsButton", 20170101, 20601231, kDayGoals.belowMessage, kDayGoals.aboveMessage};
const Case kAllButtons[] = {kYearGoals, kMonthGoals, kDayGoals, kYearItems, kMonthItems, kDayItems};

} // namespace

class ExportDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;
    std::unique_ptr<QTemporaryDir> out;
    ExportDialogData data;
    std::unique_ptr<ExportDialog> dialog;

    template <class W> W* control(const char* name) const { return dialog->findChild<W*>(QLatin1String(name)); }
    QLineEdit* fromEdit() const { return control<QLineEdit>("fromEdit"); }
    QLineEdit* toEdit() const { return control<QLineEdit>("toEdit"); }

    // Presses an export button with the given range; the Save-As dialog answers
    // with file (or is cancelled when file is empty). Returns the chosen path.
    QString exportWith(const char* button, const QString& from, const QString& to, const QString& file)
    {
        fromEdit()->setText(from);
        toEdit()->setText(to);
        return pressExport(button, file);
    }

    QString pressExport(const char* button, const QString& file)
    {
        const QString path = file.isEmpty() ? QString() : out->filePath(file);
        testing::FileDialogSeam::Clear();
        testing::ShellSeam::Clear();
        AppFixture::clearMessages();
        testing::FileDialogSeam::QueueAnswer(path.isEmpty() ? std::nullopt : std::optional<QString>(path));
        control<QPushButton>(button)->click();
        return path;
    }

    static QStringList messageTexts()
    {
        QStringList texts;
        for (const auto& message : AppFixture::messages()) {
            texts.append(message.text);
            if (message.caption != message.text)
                texts.append(QStringLiteral("caption: ") + message.caption);
        }
        return texts;
    }

    // Runs command 127 and the steps while dialog 129 is open; its result, -2 when
    // it did not open (so the steps did not run): every caller checks it.
    [[nodiscard]] int runCommand(const std::function<void(ExportDialog*)>& steps)
    {
        int result = -2;
        QTimer::singleShot(0, fx->window(), [&] {
            QPointer<ExportDialog> open = fx->window()->findChild<ExportDialog*>();
            if (!open)
                return;
            QObject::connect(open, &QDialog::finished, open, [&result](int r) { result = r; });
            steps(open);
            if (open && open->isVisible())
                open->done(-1);
        });
        fx->command(127);
        return result;
    }

private slots:
    void init()
    {
        AppFixtureOptions options;
        options.now = QDateTime(QDate(2018, 3, 10), QTime(10, 0));
        options.prepare = PrepareProgram;
        fx = std::make_unique<AppFixture>(options);
        out = std::make_unique<QTemporaryDir>();
        data = ExportDialogData{};
        dialog = std::make_unique<ExportDialog>(fx->window(), data);
        dialog->show();
        AppFixture::clearMessages();
    }

    void cleanup()
    {
        dialog.reset();
        out.reset();
        fx.reset();
    }

    // Opening

    void opensWithTheLast30DaysAndAllItems()
    {
        dialog.reset();
        const int result = runCommand([](ExportDialog* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("目标导出"));
            QCOMPARE(d->size(), JotrakDialog::Dlu(0, 0, 359, 187).size());
            QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->text(), QStringLiteral("20180208"));
            QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("toEdit"))->text(), QStringLiteral("20180310"));
            QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("filterAllRadio"))->isChecked());
            const QStringList texts = {QStringLiteral("导出全部记录"),
                                       QStringLiteral("导出已完成记录"),
                                       QStringLiteral("导出未完成记录"),
                                       QStringLiteral("导出"),
                                       QStringLiteral("到"),
                                       QStringLiteral("的目标历史记录"),
                                       QStringLiteral("导出年目标"),
                                       QStringLiteral("导出月目标"),
                                       QStringLiteral("导出日目标"),
                                       QStringLiteral("导出年细项"),
                                       QStringLiteral("导出月细项"),
                                       QStringLiteral("导出日细项"),
                                       QStringLiteral("取消")};
            QStringList shown;
            for (auto* w : d->findChildren<QWidget*>()) {
                if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isVisible())
                    shown.append(b->text());
                if (auto* l = qobject_cast<QLabel*>(w))
                    shown.append(l->text());
            }
            for (const QString& text : texts)
                QVERIFY2(shown.contains(text), qPrintable(text));
            QVERIFY(shown.contains(
                QStringLiteral("输入说明: 导出年历史记录可输入如2018即可,月输入201801,日输入如20180101")));
            auto* ok = d->findChild<QPushButton*>(QStringLiteral("okButton"));
            QVERIFY(ok->isDefault() && !ok->isVisible());
            QCOMPARE(ok->text(), QStringLiteral("导出"));
            d->findChild<QRadioButton*>(QStringLiteral("filterOpenRadio"))->click();
            d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->setText(QStringLiteral("2019"));
        });
        QCOMPARE(result, -1);
        // the next showing starts afresh
        QCOMPARE(runCommand([](ExportDialog* d) {
                     QCOMPARE(d->findChild<QLineEdit*>(QStringLiteral("fromEdit"))->text(), QStringLiteral("20180208"));
                     QVERIFY(d->findChild<QRadioButton*>(QStringLiteral("filterAllRadio"))->isChecked());
                 }),
                 -1);
    }

    void enterPressesTheFocusedButtonElseClosesWithOne()
    {
        dialog.reset();
        QCOMPARE(runCommand([](ExportDialog* d) {
                     QTest::keyClick(d->findChild<QLineEdit*>(QStringLiteral("toEdit")), Qt::Key_Return);
                 }),
                 1);
        QCOMPARE(runCommand([](ExportDialog* d) {
                     QTest::keyClick(d->findChild<QRadioButton*>(QStringLiteral("filterDoneRadio")), Qt::Key_Enter,
                                     Qt::KeypadModifier);
                 }),
                 1);
        // Enter on a focused export button runs that export (here up to the cancelled Save-As)
        testing::FileDialogSeam::Clear();
        testing::FileDialogSeam::QueueAnswer(std::nullopt);
        QCOMPARE(runCommand([](ExportDialog* d) {
                     auto* button = d->findChild<QPushButton*>(QStringLiteral("exportDayGoalsButton"));
                     button->setFocus();
                     QTest::keyClick(button, Qt::Key_Return);
                 }),
                 -1);
        QCOMPARE(testing::FileDialogSeam::Requests().size(), 1);
        QCOMPARE(runCommand([](ExportDialog* d) { QTest::keyClick(d, Qt::Key_Escape); }), 2);
        QCOMPARE(
            runCommand([](ExportDialog* d) { d->findChild<QPushButton*>(QStringLiteral("cancelButton"))->click(); }),
            2);
        QCOMPARE(runCommand([](ExportDialog* d) { d->close(); }), 2);
        QVERIFY(AppFixture::messages().isEmpty());
    }

    // The default range reaching the writers

    void defaultRangeExportsDaysMonthsAndYears()
    {
        const QString days = pressExport("exportDayItemsButton", QStringLiteral("days.xls"));
        QCOMPARE(SheetRows(days), (QStringList{QStringLiteral("20180208|item 20180208|未完成"),
                                               QStringLiteral("20180220|item 20180220|未完成"),
                                               QStringLiteral("20180310|item 20180310|未完成")}));
        const QString months = pressExport("exportMonthItemsButton", QStringLiteral("months.xls"));
        QCOMPARE(SheetRows(months), (QStringList{QStringLiteral("201802|item 201802|未完成"),
                                                 QStringLiteral("201803|item 201803|未完成")}));
        const QString years = pressExport("exportYearItemsButton", QStringLiteral("years.xls"));
        QCOMPARE(SheetRows(years), QStringList{QStringLiteral("2018|item 2018|OK")});
        QCOMPARE(testing::ShellSeam::Opened(), QStringList{years});

        const QString dayText = pressExport("exportDayGoalsButton", QStringLiteral("days.txt"));
        QCOMPARE(TextGoalKeys(dayText), (QStringList{QStringLiteral("20180208"), QStringLiteral("20180220"),
                                                     QStringLiteral("20180310")})); // today included
        const QString yearText = pressExport("exportYearGoalsButton", QStringLiteral("years.txt"));
        QCOMPARE(TextGoalKeys(yearText), QStringList{QStringLiteral("2018")}); // from 2018 to 2018
        QCOMPARE(testing::ShellSeam::Opened(), QStringList{yearText});

        QVERIFY(dialog->isVisible());
        QVERIFY(AppFixture::messages().isEmpty());
        QCOMPARE(fromEdit()->text(), QStringLiteral("20180208")); // only the copies were cut
    }

    void yearAndMonthKeysAreCutBeforeTheWriter()
    {
        // uncut, "20180101" would keep goal 2018 out as text, and "201801xyz" would keep 201801 out
        const QString years = exportWith("exportYearGoalsButton", QStringLiteral("20180101"),
                                         QStringLiteral("20191231"), QStringLiteral("years.txt"));
        QCOMPARE(TextGoalKeys(years), (QStringList{QStringLiteral("2018"), QStringLiteral("2019")}));
        const QString months = exportWith("exportMonthItemsButton", QStringLiteral("201801xyz"),
                                          QStringLiteral("201802"), QStringLiteral("months.xls"));
        QCOMPARE(SheetRows(months), (QStringList{QStringLiteral("201801|item 201801|未完成"),
                                                 QStringLiteral("201802|item 201802|未完成")}));
        QVERIFY(AppFixture::messages().isEmpty());
    }

    void saveAsAsksForTheTargetKind()
    {
        pressExport("exportMonthGoalsButton", {});
        pressExport("exportDayItemsButton", {});
        QCOMPARE(testing::FileDialogSeam::Requests().size(), 1);
        const auto& request = testing::FileDialogSeam::Requests().constFirst();
        QCOMPARE(request.kind, QStringLiteral("save"));
        QCOMPARE(request.title, QStringLiteral("请选择要保存的文件名称"));
        QCOMPARE(request.filter, QStringLiteral("Excel文件(*.xls)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("xls"));
        pressExport("exportYearGoalsButton", {});
        QCOMPARE(testing::FileDialogSeam::Requests().constFirst().filter, QStringLiteral("文本文件(*.txt)"));
        QCOMPARE(testing::FileDialogSeam::Requests().constFirst().defaultSuffix, QStringLiteral("txt"));
    }

    void filterChoosesTheItems()
    {
        ConnectionHolder& connection = App().connection;
        const int goalId = AddRow(connection, Table::Ri, [](RecordsetHolder& rs) {
            SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("20180301"));
        });
        for (int done : {1, 0})
            AddRow(connection, Table::RiNext, [&](RecordsetHolder& rs) {
                SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
                SetFieldValue(rs, QStringLiteral("nr"), done ? QStringLiteral("done") : QStringLiteral("open"));
                SetFieldValue(rs, QStringLiteral("IsOk"), done);
            });
        fromEdit()->setText(QStringLiteral("20180301"));
        toEdit()->setText(QStringLiteral("20180301"));
        control<QRadioButton>("filterDoneRadio")->click();
        QCOMPARE(data.filter, 1);
        QCOMPARE(SheetRows(pressExport("exportDayItemsButton", QStringLiteral("done.xls"))),
                 QStringList{QStringLiteral("20180301|done|OK")});
        control<QRadioButton>("filterOpenRadio")->click();
        QCOMPARE(SheetRows(pressExport("exportDayItemsButton", QStringLiteral("open.xls"))),
                 QStringList{QStringLiteral("20180301|open|未完成")});
        control<QRadioButton>("filterAllRadio")->click();
        QCOMPARE(SheetRows(pressExport("exportDayItemsButton", QStringLiteral("all.xls"))).size(), 2);
    }

    // Range rules

    void rangeRules_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("message"); // empty: accepted
        for (const Case& c : kAllButtons) {
            const QString low = QString::number(c.lower);
            const QString high = QString::number(c.upper);
            const QString belowLow = QString::number(c.lower - 1);
            const QString aboveHigh = QString::number(c.upper + 1);
            auto row = [&](const char* what, const QString& from, const QString& to, const QString& message) {
                QTest::addRow("%s %s", c.button, what) << QString::fromLatin1(c.button) << from << to << message;
            };
            row("empty from", {}, high, c.belowMessage);
            row("empty to", low, {}, c.belowMessage);
            row("lower bound", low, low, {});
            row("upper bound", high, high, {});
            row("whole range", low, high, {});
            row("from below", belowLow, high, c.belowMessage);
            row("to below", low, belowLow, c.belowMessage);
            row("from above", aboveHigh, high, c.aboveMessage);
            row("to above", low, aboveHigh, c.aboveMessage);
            row("low and high", aboveHigh, belowLow, c.belowMessage);
        }
        auto row = [](const char* name, const char* button, const char* from, const char* to) {
            QTest::newRow(name) << QString::fromLatin1(button) << QString::fromLatin1(from) << QString::fromLatin1(to)
                                << QString();
        };
        row("month 201713 goals", "exportMonthGoalsButton", "201713", "201713");
        row("month 201713 items", "exportMonthItemsButton", "201701", "201713");
        row("year 2018xyz", "exportYearItemsButton", "2018xyz", "2018");
    }

    void rangeRules()
    {
        QFETCH(QString, button);
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, message);
        const QString file =
            exportWith(qPrintable(button), from, to, QLatin1String(button.contains(u"Items") ? "out.xls" : "out.txt"));
        QCOMPARE(testing::FileDialogSeam::Requests().size(), 1); // the file is asked for first
        if (message.isEmpty()) {
            QCOMPARE(messageTexts(), QStringList());
            QCOMPARE(testing::ShellSeam::Opened(), QStringList{file});
            QVERIFY(QFile::exists(file));
        } else {
            QCOMPARE(messageTexts(), QStringList{message});
            QCOMPARE(testing::ShellSeam::Opened(), QStringList());
            QVERIFY(!QFile::exists(file));
        }
        QCOMPARE(fromEdit()->text(), from);
        QCOMPARE(toEdit()->text(), to);
        QVERIFY(dialog->isVisible());
    }

    void refusedRangeLeavesAnOldFileAlone()
    {
        const QString old = out->filePath(QStringLiteral("old.txt"));
        QVERIFY(WriteFileBytes(old, "old content"));
        exportWith("exportDayGoalsButton", QStringLiteral("2018"), QStringLiteral("20180310"),
                   QStringLiteral("old.txt"));
        QCOMPARE(messageTexts(), QStringList{kDayGoals.belowMessage});
        QCOMPARE(ReadFileBytes(old), QByteArray("old content"));
    }

    void cancelledSaveAsShowsNothing()
    {
        for (const Case& c : kAllButtons) {
            exportWith(c.button, QString(), QStringLiteral("x"), QString());
            QCOMPARE(testing::FileDialogSeam::Requests().size(), 1);
            QCOMPARE(messageTexts(), QStringList());
            QCOMPARE(testing::ShellSeam::Opened(), QStringList());
            QVERIFY(QDir(out->path()).isEmpty());
        }
    }

    // Failures of the writers

    void badTemplateShowsTheWorkbookMessage()
    {
        const QString templatePath = QDir(fx->exeDir()).filePath(QStringLiteral("Dt/1.xls"));
        QVERIFY(WriteFileBytes(templatePath, QByteArray(4096, '\x5a')));
        const QString file = pressExport("exportYearItemsButton", QStringLiteral("bad.xls"));
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages().constFirst().text, QString::fromUtf8(kWorkbookFailedMessage));
        QCOMPARE(AppFixture::messages().constFirst().caption, QString::fromUtf8(kWorkbookFailedCaption));
        QCOMPARE(testing::ShellSeam::Opened(), QStringList());
        QVERIFY(!QFile::exists(file));

        QVERIFY(QFile::remove(templatePath));
        pressExport("exportYearItemsButton", QStringLiteral("bad.xls"));
        QCOMPARE(AppFixture::messages().size(), 1);
        QCOMPARE(AppFixture::messages().constFirst().caption, QString::fromUtf8(kWorkbookFailedCaption));
        QVERIFY(dialog->isVisible());
    }

    void overLongTextIsToldAfterTheExport()
    {
        const int goalId = AddRow(App().connection, Table::Ri, [](RecordsetHolder& rs) {
            SetFieldValue(rs, QStringLiteral("ming"), QStringLiteral("20180301"));
        });
        AddRow(App().connection, Table::RiNext, [&](RecordsetHolder& rs) {
            SetFieldValue(rs, QStringLiteral("ShangId"), goalId);
            SetFieldValue(rs, QStringLiteral("nr"), QString(40000, u'x'));
        });
        const QString file = exportWith("exportDayItemsButton", QStringLiteral("20180301"), QStringLiteral("20180301"),
                                        QStringLiteral("long.xls"));
        QCOMPARE(messageTexts(),
                 (QStringList{QString::fromUtf8("导出完成,但有 1 段文字超过了 Excel 单元格最多能容纳的 32767 "
                                                "个字符,在表格中被截短了:\n目标 20180301 第 1 "
                                                "项的工作内容\n数据库中的原文没有改动。"),
                              QString::fromUtf8("caption: 部分文字被截短")}));
        QCOMPARE(testing::ShellSeam::Opened(), QStringList{file});
    }

    void unwritableTargetShowsAMessage()
    {
        exportWith("exportDayGoalsButton", QStringLiteral("20180101"), QStringLiteral("20180310"),
                   QStringLiteral("no such folder/goals.txt"));
        QCOMPARE(AppFixture::messages().size(), 1);
        QVERIFY(!AppFixture::messages().constFirst().text.isEmpty());
        QCOMPARE(testing::ShellSeam::Opened(), QStringList());
        QVERIFY(dialog->isVisible());
    }
};

QTEST_MAIN(ExportDialogTest)
#include "tst_export_dialog.moc"
