#include "support/database.h"
#include "data/carry_store.h"
#include "reports/report_builder.h"
#include "reports/report_render.h"

#include <QSettings>
#include <QTest>

#include <thread>

using namespace jotrak;
using namespace jotrak::test;

Q_DECLARE_METATYPE(jotrak::PeriodChoice)
Q_DECLARE_METATYPE(jotrak::Table)

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

    TempDb db{true};

private slots:
    void initTestCase()
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
        // carried twice: 28th -> 29th -> 30th
        const int fix = AddItem(c, Table::Ri, Day(c, "20261228"), QString::fromUtf8("修复缺陷"));
        QCOMPARE(CarryItemsForward(c, Table::Ri, {fix}, QStringLiteral("20261229")).carried, 1);
        const int copy = Items(c, Table::Ri, QStringLiteral("20261229")).front().id;
        QCOMPARE(CarryItemsForward(c, Table::Ri, {copy}, QStringLiteral("20261230")).carried, 1);
    }
    // A choice's days on a day, the next period's and the title; a custom period given backwards runs forwards, and
    // the next one is as long.
    void periods_data()
    {
        QTest::addColumn<PeriodChoice>("choice");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("sundayFirst");
        QTest::addColumn<QString>("expected"); // first and last day, the next period's, the title
        using C = PeriodChoice;
        const auto row = [](const char* name, C choice, const char* today, bool sundayFirst, const char* expected) {
            QTest::newRow(name) << choice << D(today) << sundayFirst << QString::fromUtf8(expected);
        };
        row("today", C::Today, "2026-12-07", false, "2026-12-07 2026-12-07 2026-12-08 2026-12-08 日报 2026-12-07");
        row("ISO week 53 across the year end", C::ThisWeek, "2027-01-01", false,
            "2026-12-28 2027-01-03 2027-01-04 2027-01-10 周报 2026年第53周 (12月28日–1月3日)");
        row("week from Sunday", C::ThisWeek, "2026-12-07", true,
            "2026-12-06 2026-12-12 2026-12-13 2026-12-19 周报 2026年12月6日–12月12日");
        row("last week on a Monday", C::LastWeek, "2027-01-04", false,
            "2026-12-28 2027-01-03 2027-01-04 2027-01-10 周报 2026年第53周 (12月28日–1月3日)");
        row("leap February", C::ThisMonth, "2024-02-29", false,
            "2024-02-01 2024-02-29 2024-03-01 2024-03-31 月报 2024年2月");
        row("last month across the year end", C::LastMonth, "2027-01-15", false,
            "2026-12-01 2026-12-31 2027-01-01 2027-01-31 月报 2026年12月");
        row("fourth quarter", C::ThisQuarter, "2026-11-30", false,
            "2026-10-01 2026-12-31 2027-01-01 2027-03-31 季报 2026年第4季度");
        row("leap year", C::ThisYear, "2024-06-01", false, "2024-01-01 2024-12-31 2025-01-01 2025-12-31 年报 2024年");
    }
    void periods()
    {
        QFETCH(PeriodChoice, choice);
        QFETCH(QDate, today);
        QFETCH(bool, sundayFirst);
        QFETCH(QString, expected);
        const Qt::DayOfWeek weekStart = sundayFirst ? Qt::Sunday : Qt::Monday;
        const ReportPeriod period = PeriodOf(choice, today, weekStart);
        const ReportPeriod next = NextPeriod(period);
        QCOMPARE(QStringList({period.first.toString(Qt::ISODate), period.last.toString(Qt::ISODate),
                              next.first.toString(Qt::ISODate), next.last.toString(Qt::ISODate),
                              PeriodTitle(period, weekStart)})
                     .join(u' '),
                 expected);
        const ReportPeriod custom = PeriodOf(PeriodChoice::Custom, today, weekStart, period.last, period.first);
        QCOMPARE(custom.first, period.first);
        QCOMPARE(NextPeriod(custom).first, period.last.addDays(1));
        QCOMPARE(NextPeriod(custom).dayCount(), custom.dayCount());
    }
    void report_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::addColumn<QDate>("last");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char* name, const char* first, const char* last, const char* heading,
                            const char* expected) {
            QTest::newRow(name) << D(first) << D(last) << QString::fromUtf8(heading) << QString::fromUtf8(expected);
        };
        const char *weekFirst = "2026-12-28", *weekLast = "2027-01-03";
        row("week 53: goals of both years and months", weekFirst, weekLast, "本期目标",
            "### 2026年\n上线新系统\n### 2026年12月\n收尾\n### 12月31日 周四\n年末总结");
        row("week 53: done, grouped by day", weekFirst, weekLast, "已完成",
            "### 12月31日 周四\n- 写总结(完成情况:已交)\n### 1月1日 周五\n- 新年值班");
        row("week 53: open, an item carried twice told once", weekFirst, weekLast, "未完成",
            "### 12月30日 周三\n- 修复缺陷\n### 12月31日 周四\n- 整理文档");
        row("week 53: counted once where it lies last", weekFirst, weekLast, "统计",
            "- 12月28日 周一:完成 0 / 共 0\n- 12月29日 周二:完成 0 / 共 0\n- 12月30日 周三:完成 0 / 共 1\n"
            "- 12月31日 周四:完成 1 / 共 2\n- 1月1日 周五:完成 1 / 共 1\n- 1月2日 周六:完成 0 / 共 0\n"
            "- 1月3日 周日:完成 0 / 共 0\n合计:完成 2 / 共 4,完成率 50%");
        row("the day it was carried from shows the mark", "2026-12-28", "2026-12-28", "未完成",
            "### 12月28日 周一\n- 修复缺陷 (已结转 → 20261229)");
        row("week 53: next week", weekFirst, weekLast, "下期计划", "### 1月4日 周一\n下周计划\n- 周一例会");
        row("month: its own items and the month's", "2026-12-01", "2026-12-31", "未完成",
            "### 2026年12月 月度事项\n- 月度事项\n### 12月30日 周三\n- 修复缺陷\n### 12月31日 周四\n- 整理文档");
        row("year: counted per week", "2026-01-01", "2026-12-31", "统计", "- 1月1日–1月4日:完成 0 / 共 0");
        row("leap day", "2024-02-29", "2024-02-29", "统计",
            "- 2月29日 周四:完成 1 / 共 1\n合计:完成 1 / 共 1,完成率 100%");
        row("empty days, no goals", "2027-01-05", "2027-01-06", "本期目标", "(无)");
        row("empty days: nothing done", "2027-01-05", "2027-01-06", "已完成", "(无)");
        row("empty days: counted zero", "2027-01-05", "2027-01-06", "统计",
            "- 1月5日 周二:完成 0 / 共 0\n- 1月6日 周三:完成 0 / 共 0\n合计:完成 0 / 共 0");
    }
    void report()
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
    void templateInSettings()
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
    void renderersEscapeUserText()
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
        QVERIFY(RenderPlainText(blocks).contains(
            QString::fromUtf8("【已完成】\n  - <b>x</b> & *y* # [z](u)\n    line 2\n")));
    }
    void carry_data()
    {
        QTest::addColumn<Table>("goalTable");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("state"); // open, done, carried, gone
        QTest::addColumn<bool>("carried");
        const auto row = [](const char* name, Table table, const char* from, const char* state, bool carried) {
            QTest::newRow(name) << table << QString::fromLatin1(from) << QString::fromLatin1(state) << carried;
        };
        row("open day item", Table::Ri, "20261207", "open", true);
        row("done item stays", Table::Ri, "20261207", "done", false);
        row("carried once only", Table::Ri, "20261207", "carried", false);
        row("gone item", Table::Ri, "20261207", "gone", false);
        row("today's own item", Table::Ri, "20261208", "open", false);
        row("month item to this month", Table::Yue, "202611", "open", true);
        row("year item to this year", Table::Nian, "2025", "open", true);
    }
    void carry()
    {
        QFETCH(Table, goalTable);
        QFETCH(QString, from);
        QFETCH(QString, state);
        QFETCH(bool, carried);
        ConnectionHolder& c = db.connection;
        const QString to = CarryDestinationKey(goalTable, D("2026-12-08"));
        const int id = AddItem(c, goalTable, GoalId(c, goalTable, from), QString::fromUtf8("跟进<报价>"),
                               QString::fromUtf8("等回复"), state == QLatin1String("done"));
        if (state == QLatin1String("carried"))
            CarryItemsForward(c, goalTable, {id}, to);
        if (state == QLatin1String("gone"))
            RemoveWorkItem(c, goalTable, id);
        const auto copies = [&] { return Items(c, goalTable, to).size(); };
        const std::size_t before = copies();

        const CarryOutcome outcome = CarryItemsForward(c, goalTable, {id}, to);
        QCOMPARE(outcome.carried, carried ? 1 : 0);
        QCOMPARE(outcome.skipped, carried ? 0 : 1);
        QCOMPARE(copies(), before + (carried ? 1 : 0));
        if (!carried)
            return;
        const WorkItem copy = Items(c, goalTable, to).back();
        QCOMPARE(copy.content + u'|' + copy.note + u'|' + QString::number(copy.done),
                 QString::fromUtf8("跟进<报价>|等回复|0"));
        // the original stays, open and marked
        QVERIFY(WorkItemExists(c, goalTable, id));
        QCOMPARE(CarriedItemsOfGoal(c, goalTable, GoalId(c, goalTable, from)).at(id), to);
        for (const OpenItem& open : OpenItemsBetween(c, goalTable, from, from))
            QVERIFY(open.id != id);
    }
    void twoProgramsCarryOnce()
    {
        ConnectionHolder& c = db.connection;
        const int goal = GoalId(c, Table::Ri, QStringLiteral("20261201"));
        std::vector<int> ids;
        Transaction adding(c);
        for (int i = 0; i < 100; ++i)
            ids.push_back(AddItem(c, Table::Ri, goal, QStringLiteral("item %1").arg(i)));
        adding.commit();
        const std::size_t before = Items(c, Table::Ri, QStringLiteral("20261202")).size();
        CarryOutcome outcomes[2];
        const auto carryAll = [&](int program) {
            ConnectionHolder own;
            OpenDatabase(own, db.path());
            outcomes[program] = CarryItemsForward(own, Table::Ri, ids, QStringLiteral("20261202"));
        };
        std::thread first(carryAll, 0), second(carryAll, 1);
        first.join();
        second.join();
        QCOMPARE(outcomes[0].carried + outcomes[1].carried, 100);
        QCOMPARE(outcomes[0].skipped + outcomes[1].skipped, 100);
        QCOMPARE(Items(c, Table::Ri, QStringLiteral("20261202")).size(), before + 100);
        QCOMPARE(SearchIndexProblem(c), QString());
    }
    void olderFileReadOnly()
    {
        TempDb old(true);
        const int id = AddItem(old.connection, Table::Ri, GoalId(old.connection, Table::Ri, QStringLiteral("20261207")),
                               QString::fromUtf8("旧文件里的事"));
        CloseConnection(old.connection);
        DropToVersion1(old.path());
        ConnectionHolder c;
        OpenDatabaseForReading(c, old.path());
        const ReportPeriod day = PeriodOf(PeriodChoice::Today, D("2026-12-07"), Qt::Monday);
        QCOMPARE(BuildReport(c, day, Qt::Monday).all, 1);
        QVERIFY(OpenItemsBetween(c, Table::Ri, QStringLiteral("20261207"), QStringLiteral("20261207")).empty());
        QVERIFY(!CarryItemsForward(c, Table::Ri, {id}, QStringLiteral("20261208")).problem.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReports)
#include "tst_reports.moc"
