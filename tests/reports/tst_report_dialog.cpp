#include "support/database.h"
#include "calendar/clock.h"
#include "reports/carry_dialog.h"
#include "shell/work_log.h"
#include "data/carry_store.h"
#include "reports/report_dialog.h"
#include "reports/report_output.h"
#include "shell/file_dialogs.h"
#include "shell/settings_store.h"

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QSignalSpy>
#include <QTimer>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

using namespace jotrak;
using namespace jotrak::test;

class TestReportDialog : public QObject {
    Q_OBJECT

    TempDb db{true};
    std::unique_ptr<ReportDialog> dialog;

    QString SaveThrough(const char* button, const QString& name)
    {
        const QString path = db.dir.filePath(name);
        testing::FileDialogSeam::QueueAnswer(path);
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        return path;
    }

private slots:
    void initTestCase()
    {
        UseSettingsFile(db.dir.filePath(QStringLiteral("jotrak.ini")));
        testing::FileDialogSeam::Enable();
        Clock::SetForTest(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
        ConnectionHolder& c = db.connection;
        const int monday = SetGoal(c, Table::Ri, QStringLiteral("20261130"), QString::fromUtf8("客户回访"));
        AddItem(c, Table::Ri, monday, QString::fromUtf8("拜访华东区客户"), QString::fromUtf8("签下合同"), true);
        AddItem(c, Table::Ri, monday, QString::fromUtf8("<整理> & 归档"));
        AddItem(c, Table::Ri, GoalId(c, Table::Ri, QStringLiteral("20261207")), QString::fromUtf8("本周的事"), {},
                true);
        dialog = std::make_unique<ReportDialog>(nullptr, c);
        dialog->choosePeriod(PeriodChoice::LastWeek);
    }
    void lastWeekListsItsDoneAndOpenItems()
    {
        const QString shown = dialog->findChild<QTextBrowser*>(QStringLiteral("preview"))->toPlainText();
        QVERIFY2(shown.contains(QString::fromUtf8("周报 2026年第49周")), qPrintable(shown));
        QVERIFY(shown.contains(QString::fromUtf8("拜访华东区客户(完成情况:签下合同)")));
        QVERIFY(shown.contains(QString::fromUtf8("<整理> & 归档")));
        // this week is the next period
        QVERIFY(shown.indexOf(QString::fromUtf8("本周的事")) > shown.indexOf(QString::fromUtf8("下期计划")));
        // the chart comes from the module loaded with the first report dialog
        QVERIFY(dialog->findChild<QWidget*>(QStringLiteral("reportChart"))->inherits("QChartView"));
    }
    void copyGivesTextAndHtml()
    {
        QGuiApplication::clipboard()->clear();
        dialog->findChild<QPushButton*>(QStringLiteral("copy"))->click();
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data && data->hasText() && data->hasHtml());
        QVERIFY(data->text().contains(QString::fromUtf8("  - <整理> & 归档")));
        QVERIFY(data->html().contains(QString::fromUtf8("<li>&lt;整理&gt; &amp; 归档</li>")));
    }
    void savesEachFormat()
    {
        for (const auto& [name, expected] :
             {std::pair{"report.txt", "【未完成】"}, {"report.md", "## 未完成"}, {"report.html", "<h2>未完成</h2>"}}) {
            QFile file(SaveThrough("save", QString::fromLatin1(name)));
            QVERIFY2(file.open(QIODevice::ReadOnly) &&
                         QString::fromUtf8(file.readAll()).contains(QString::fromUtf8(expected)),
                     name);
        }
    }
    void pdfKeepsTheChineseText()
    {
        const QString pdf = SaveThrough("pdf", QStringLiteral("report.pdf"));
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        if (!pdftotext.waitForStarted())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QVERIFY(pdftotext.waitForFinished());
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        QVERIFY2(text.contains(QString::fromUtf8("拜访华东区客户")), qPrintable(text));
        QVERIFY(text.contains(QString::fromUtf8("已完成")));
    }
    void carriesTheTickedItems()
    {
        ConnectionHolder& c = db.connection;
        const QDate today(2026, 12, 9);
        QCOMPARE(YesterdayOpenLine(c, today), QString());
        const int yesterday = GoalId(c, Table::Ri, QStringLiteral("20261208"));
        AddItem(c, Table::Ri, yesterday, QString::fromUtf8("留着"));
        const int carried = AddItem(c, Table::Ri, yesterday, QString::fromUtf8("带走"));
        QCOMPARE(YesterdayOpenLine(c, today), QString::fromUtf8("昨天还有 2 项未完成,可结转到今天"));
        QTimer::singleShot(0, [] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* list = dialog->findChild<QListWidget*>(QStringLiteral("openItems"));
            // the open item of last week comes first, then yesterday's two
            QCOMPARE(list->count(), 3);
            list->item(0)->setCheckState(Qt::Unchecked);
            list->item(1)->setCheckState(Qt::Unchecked);
            dialog->accept();
        });
        WorkLog log; // a second program's view of the file: it hears of what it carried
        log.open(db.path());
        QSignalSpy heard(&log, &WorkLog::itemsOfKindChanged);
        QCOMPARE(ChooseAndCarryItems(nullptr, log, PeriodKind::Day, QStringLiteral("20261130"),
                                     QStringLiteral("20261208"), today),
                 1);
        QCOMPARE(heard.size(), 1);
        QCOMPARE(CarriedItemsOfGoal(c, Table::Ri, yesterday),
                 (std::map<int, QString>{{carried, QStringLiteral("20261209")}}));
        QCOMPARE(Items(c, Table::Ri, QStringLiteral("20261209")).back().content, QString::fromUtf8("带走"));
        QCOMPARE(YesterdayOpenLine(c, today), QString::fromUtf8("昨天还有 1 项未完成,可结转到今天"));
    }
    void cleanupTestCase()
    {
        dialog.reset();
        Clock::Reset();
        testing::FileDialogSeam::Disable();
    }
};

QTEST_MAIN(TestReportDialog)
#include "tst_report_dialog.moc"
