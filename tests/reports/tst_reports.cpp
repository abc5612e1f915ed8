#include "support/database.h"
#include "reports/report_builder.h"
#include "reports/report_render.h"

#include <QSettings>
#include <QTest>

using namespace jotrak;
using namespace jotrak::test;

Q_DECLARE_METATYPE(jotrak::PeriodChoice)

namespace {

QDate D(const char* iso)
{
    return QDate::fromString(QString::fromLatin1(iso), Qt::ISODate);
}

// One section of a composed report: "### " subheadings, "- " items, paragraphs as they are.
QString SectionText(const std::vector<ReportBlock>& blocks, const QString& heading)
{
    QStringList lines;
    bool inside = false;
    for (const ReportBlock& block : blocks) {
        if (block.kind == BlockKind::Heading) {
            inside = block.text == heading;
            continue;
        }
        if (!inside)
            continue;
        const QString prefix = block.kind == BlockKind::Subheading ? QStringLiteral("### ")
                               : block.kind == BlockKind::Bullet   ? QStringLiteral("- ")
                                                                   : QString();
        lines << prefix + block.text;
    }
    return lines.join(u'\n');
}

int Day(ConnectionHolder& c, const char* key, const char* goal = "")
{
    return SetGoal(c, Table::Ri, QString::fromLatin1(key), QString::fromUtf8(goal));
}

} // namespace

class TestReports : public QObject {
    Q_OBJECT

private:
    TempDb db{true};

private slots:
    void initTestCase();
    void periods_data();
    void periods();
    void report_data();
    void report();
    void templateInSettings();
    void renderersEscapeUserText();
};

void TestReports::initTestCase()
{
    ConnectionHolder& c = db.connection;
    const int year = SetGoal(c, Table::Nian, QStringLiteral("2026"), QString::fromUtf8("上线新系统"));
    AddItem(c, Table::Nian, year, QString::fromUtf8("年度事项"), {}, true);
    const int december = SetGoal(c, Table::Yue, QStringLiteral("202612"), QString::fromUtf8("收尾"));
    AddItem(c, Table::Yue, december, QString::fromUtf8("月度事项"));
    const int lastDay = Day(c, "20261231", "年末总结");
    AddItem(c, Table::Ri, lastDay, QString::fromUtf8("写总结"), QString::fromUtf8("已交"), true);
    AddItem(c, Table::Ri, lastDay, QString::fromUtf8("整理文档"));
    AddItem(c, Table::Ri, Day(c, "20270101"), QString::fromUtf8("新年值班"), {}, true);
    AddItem(c, Table::Ri, Day(c, "20270104", "下周计划"), QString::fromUtf8("周一例会"));
    AddItem(c, Table::Ri, Day(c, "20240229"), QString::fromUtf8("闰日工作"), {}, true);
}

void TestReports::periods_data()
{
    QTest::addColumn<PeriodChoice>("choice");
    QTest::addColumn<QDate>("today");
    QTest::addColumn<bool>("sundayFirst");
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QDate>("nextFirst");
    QTest::addColumn<QDate>("nextLast");
    QTest::addColumn<QString>("title");

    using C = PeriodChoice;
    QTest::newRow("today") << C::Today << D("2026-12-07") << false << D("2026-12-07") << D("2026-12-07")
                           << D("2026-12-08") << D("2026-12-08") << QString::fromUtf8("日报 2026-12-07");
    QTest::newRow("ISO week 53 across the year end")
        << C::ThisWeek << D("2027-01-01") << false << D("2026-12-28") << D("2027-01-03") << D("2027-01-04")
        << D("2027-01-10") << QString::fromUtf8("周报 2026年第53周 (12月28日–1月3日)");
    QTest::newRow("week from Sunday") << C::ThisWeek << D("2026-12-07") << true << D("2026-12-06") << D("2026-12-12")
                                      << D("2026-12-13") << D("2026-12-19")
                                      << QString::fromUtf8("周报 2026年12月6日–12月12日");
    QTest::newRow("last week on a Monday")
        << C::LastWeek << D("2027-01-04") << false << D("2026-12-28") << D("2027-01-03") << D("2027-01-04")
        << D("2027-01-10") << QString::fromUtf8("周报 2026年第53周 (12月28日–1月3日)");
    QTest::newRow("leap February") << C::ThisMonth << D("2024-02-29") << false << D("2024-02-01") << D("2024-02-29")
                                   << D("2024-03-01") << D("2024-03-31") << QString::fromUtf8("月报 2024年2月");
    QTest::newRow("last month across the year end")
        << C::LastMonth << D("2027-01-15") << false << D("2026-12-01") << D("2026-12-31") << D("2027-01-01")
        << D("2027-01-31") << QString::fromUtf8("月报 2026年12月");
    QTest::newRow("fourth quarter") << C::ThisQuarter << D("2026-11-30") << false << D("2026-10-01") << D("2026-12-31")
                                    << D("2027-01-01") << D("2027-03-31") << QString::fromUtf8("季报 2026年第4季度");
    QTest::newRow("leap year") << C::ThisYear << D("2024-06-01") << false << D("2024-01-01") << D("2024-12-31")
                               << D("2025-01-01") << D("2025-12-31") << QString::fromUtf8("年报 2024年");
}

void TestReports::periods()
{
    QFETCH(PeriodChoice, choice);
    QFETCH(QDate, today);
    QFETCH(bool, sundayFirst);
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QDate, nextFirst);
    QFETCH(QDate, nextLast);
    QFETCH(QString, title);
    const Qt::DayOfWeek weekStart = sundayFirst ? Qt::Sunday : Qt::Monday;
    const ReportPeriod period = PeriodOf(choice, today, weekStart);
    QCOMPARE(period.first, first);
    QCOMPARE(period.last, last);
    QCOMPARE(NextPeriod(period).first, nextFirst);
    QCOMPARE(NextPeriod(period).last, nextLast);
    QCOMPARE(PeriodTitle(period, weekStart), title);

    // a custom period given backwards runs forwards, and the next one is as long
    const ReportPeriod custom = PeriodOf(PeriodChoice::Custom, today, weekStart, last, first);
    QCOMPARE(custom.first, first);
    QCOMPARE(NextPeriod(custom).first, last.addDays(1));
    QCOMPARE(NextPeriod(custom).dayCount(), custom.dayCount());
}

void TestReports::report_data()
{
    QTest::addColumn<QDate>("first");
    QTest::addColumn<QDate>("last");
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("expected");

    const QDate weekFirst = D("2026-12-28"), weekLast = D("2027-01-03");
    QTest::newRow("week 53: goals of both years and months")
        << weekFirst << weekLast << QString::fromUtf8("本期目标")
        << QString::fromUtf8("### 2026年\n上线新系统\n### 2026年12月\n收尾\n### 12月31日 周四\n年末总结");
    QTest::newRow("week 53: done, grouped by day")
        << weekFirst << weekLast << QString::fromUtf8("已完成")
        << QString::fromUtf8("### 12月31日 周四\n- 写总结(完成情况:已交)\n### 1月1日 周五\n- 新年值班");
    QTest::newRow("week 53: open") << weekFirst << weekLast << QString::fromUtf8("未完成")
                                   << QString::fromUtf8("### 12月31日 周四\n- 整理文档");
    QTest::newRow("week 53: next week") << weekFirst << weekLast << QString::fromUtf8("下期计划")
                                        << QString::fromUtf8("### 1月4日 周一\n下周计划\n- 周一例会");
    QTest::newRow("month: its own items and the month's")
        << D("2026-12-01") << D("2026-12-31") << QString::fromUtf8("未完成")
        << QString::fromUtf8("### 2026年12月 月度事项\n- 月度事项\n### 12月31日 周四\n- 整理文档");
    QTest::newRow("year: counted per week") << D("2026-01-01") << D("2026-12-31") << QString::fromUtf8("统计")
                                            << QString::fromUtf8("- 1月1日–1月4日:完成 0 / 共 0");
    QTest::newRow("leap day") << D("2024-02-29") << D("2024-02-29") << QString::fromUtf8("统计")
                              << QString::fromUtf8("- 2月29日 周四:完成 1 / 共 1\n合计:完成 1 / 共 1,完成率 100%");
    QTest::newRow("empty days, no goals")
        << D("2027-01-05") << D("2027-01-06") << QString::fromUtf8("本期目标") << QString::fromUtf8("(无)");
    QTest::newRow("empty days: nothing done")
        << D("2027-01-05") << D("2027-01-06") << QString::fromUtf8("已完成") << QString::fromUtf8("(无)");
    QTest::newRow("empty days: counted zero")
        << D("2027-01-05") << D("2027-01-06") << QString::fromUtf8("统计")
        << QString::fromUtf8("- 1月5日 周二:完成 0 / 共 0\n- 1月6日 周三:完成 0 / 共 0\n合计:完成 0 / 共 0");
}

void TestReports::report()
{
    QFETCH(QDate, first);
    QFETCH(QDate, last);
    QFETCH(QString, heading);
    QFETCH(QString, expected);
    const Report report =
        BuildReport(db.connection, PeriodOf(PeriodChoice::Custom, first, Qt::Monday, first, last), Qt::Monday);
    const QString text = SectionText(ComposeReport(report, DefaultReportTemplate()), heading);
    if (heading == QString::fromUtf8("统计") && report.counts.size() > 31)
        QCOMPARE(text.section(u'\n', 0, 0), expected); // the first week of the year, cut at its first day
    else
        QCOMPARE(text, expected);
}

void TestReports::templateInSettings()
{
    QTemporaryDir dir;
    QSettings settings(dir.filePath(QStringLiteral("jotrak.ini")), QSettings::IniFormat);
    QCOMPARE(LoadReportTemplate(settings), DefaultReportTemplate());
    ReportTemplate changed = {{ReportSection::Done, QString::fromUtf8("本周完成"), true},
                              {ReportSection::Goals, QString(), false}};
    StoreReportTemplate(settings, changed);
    const ReportTemplate loaded = LoadReportTemplate(settings);
    // the missing sections come after, the empty heading is the default's
    QCOMPARE(loaded.size(), std::size_t(5));
    QCOMPARE(loaded[0].heading, QString::fromUtf8("本周完成"));
    QCOMPARE(loaded[1].heading, QString::fromUtf8("本期目标"));
    QVERIFY(!loaded[1].shown);
    QCOMPARE(loaded[2].section, ReportSection::Open);

    const Report report = AssembleReport(PeriodOf(PeriodChoice::Today, D("2026-12-31"), Qt::Monday), Qt::Monday,
                                         ReadPeriodLog(db.connection, D("2026-12-31"), D("2026-12-31")), {});
    const std::vector<ReportBlock> blocks = ComposeReport(report, loaded);
    QCOMPARE(blocks[1], (ReportBlock{BlockKind::Heading, QString::fromUtf8("本周完成")}));
    QCOMPARE(SectionText(blocks, QString::fromUtf8("本期目标")), QString());
}

void TestReports::renderersEscapeUserText()
{
    const QString huge = QString::fromUtf8("长").repeated(200000);
    const QString hostile = QStringLiteral("<b>x</b> & *y* # [z](u)\nline 2");
    const std::vector<ReportBlock> blocks = {{BlockKind::Title, QString::fromUtf8("日报")},
                                             {BlockKind::Heading, QString::fromUtf8("已完成")},
                                             {BlockKind::Bullet, hostile},
                                             {BlockKind::Bullet, huge}};
    const QString html = RenderHtml(blocks);
    QVERIFY(html.contains(QStringLiteral("<li>&lt;b&gt;x&lt;/b&gt; &amp; *y* # [z](u)<br>line 2</li>")));
    QVERIFY(html.contains(huge));
    const QString markdown = RenderMarkdown(blocks);
    QVERIFY(markdown.contains(QStringLiteral("- \\<b\\>x\\</b\\> & \\*y\\* \\# \\[z\\]\\(u\\)  \n  line 2\n")));
    QVERIFY(markdown.startsWith(QString::fromUtf8("# 日报\n\n## 已完成\n\n- ")));
    QVERIFY(
        RenderPlainText(blocks).contains(QString::fromUtf8("【已完成】\n  - <b>x</b> & *y* # [z](u)\n    line 2\n")));
}

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
