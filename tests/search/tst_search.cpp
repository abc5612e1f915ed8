#include "support/app_fixture.h"
#include "support/database.h"
#include "app/command_ids.h"
#include "search/search_dialog.h"
#include "data/search_index.h"
#include "search/search_store.h"
#include "settings/settings_dialog.h"

#include <QTableWidget>
#include <QCheckBox>
#include <QLabel>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cstring>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Goals and items to search: years, months and days; Latin letters, capitals beyond them, %, _, \, an
// apostrophe, a line break, a long text.
void FillSearchSample(ConnectionHolder& c)
{
    SetGoal(c, Table::Nian, QStringLiteral("2018"), QStringLiteral("年度计划:客户第一"));
    SetGoal(c, Table::Yue, QStringLiteral("201801"), QStringLiteral("一月目标 REPORT"));
    const int first = SetGoal(c, Table::Ri, QStringLiteral("20180101"), QStringLiteral("元旦"));
    AddItem(c, Table::Ri, first, QStringLiteral("联系客户 100% 完成"), QStringLiteral("a\\b 'quoted'"), true);
    AddItem(c, Table::Ri, first, QStringLiteral("整理资料 done_x"), QStringLiteral("客户满意"));
    const int second = SetGoal(c, Table::Ri, QStringLiteral("20180102"), QStringLiteral("report 初稿\n第二行"));
    AddItem(c, Table::Ri, second, QStringLiteral("客户回访"), QStringLiteral("客户已回访"));
    AddItem(c, Table::Ri, second, QString(3000, u'长') + QStringLiteral("隐藏词") + QString(3000, u'长'));
    const int third = SetGoal(c, Table::Ri, QStringLiteral("20180103"), QStringLiteral("Übung macht den Meister"));
    AddItem(c, Table::Ri, third, QStringLiteral("看医生"), QStringLiteral("ÄRZTE"));
}

QString HitLine(PeriodKind kind, const QString& key, FoundIn where, int itemId, bool done)
{
    return QStringLiteral("%1 %2 %3%4")
        .arg(QStringLiteral("年月日").at(static_cast<int>(kind) - 1))
        .arg(key, QStringList{"目标", "工作内容", "完成情况"}.at(static_cast<int>(where)),
             itemId == 0 ? QString()
             : done      ? QStringLiteral(" OK")
                         : QStringLiteral(" 未完成"));
}

// The hits of a search, one "kind key place [state]" line each.
QStringList HitLines(ConnectionHolder& c, const QString& query, const SearchFilter& filter = {})
{
    QStringList lines;
    SearchLog(c, SearchWords(query), filter, 100, [&](std::vector<SearchHit>&& hits) {
        for (const SearchHit& hit : hits)
            lines << HitLine(hit.kind, hit.key, hit.where, hit.itemId, hit.done);
        return true;
    });
    return lines;
}

// The hits a plain read of every goal and item finds, in the order the search promises: newest key first (a
// month after its days, a year after its months), the goal before its items, the newest item first; an
// item found in its content and its note once, in its content.
QStringList ScannedHits(ConnectionHolder& c, const QString& query)
{
    const auto folded = [](QString text) {
        for (QChar& ch : text)
            if (ch >= u'A' && ch <= u'Z')
                ch = QChar(ch.unicode() + 32);
        return text;
    };
    const QStringList words = folded(query).split(
        QRegularExpression(QStringLiteral("\\s+"), QRegularExpression::UseUnicodePropertiesOption), Qt::SkipEmptyParts);
    const auto holds = [&](const QString& text) {
        return !words.isEmpty() && std::all_of(words.begin(), words.end(),
                                               [&](const QString& word) { return folded(text).contains(word); });
    };
    std::vector<std::tuple<qint64, qint64, QString>> found; // (key as yyyymmdd, item id or max for a goal, line)
    for (PeriodKind kind : {PeriodKind::Year, PeriodKind::Month, PeriodKind::Day}) {
        const QString goals = TableName(GoalTableOf(kind));
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(c.handle(),
                           QStringLiteral("SELECT g.ming, g.nr, i.IDME, i.nr, i.wcqk, i.IsOk FROM %1 g "
                                          "LEFT JOIN %1Next i ON i.ShangId = g.IDME")
                               .arg(goals)
                               .toUtf8()
                               .constData(),
                           -1, &st, nullptr);
        while (sqlite3_step(st) == SQLITE_ROW) {
            const auto text = [&](int column) {
                return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, column)));
            };
            const QString key = text(0);
            const qint64 keyNumber = (key + QStringLiteral("0000")).left(8).toLongLong();
            const int itemId = sqlite3_column_int(st, 2);
            if (holds(text(1)))
                found.emplace_back(keyNumber, std::numeric_limits<qint64>::max(),
                                   HitLine(kind, key, FoundIn::Goal, 0, false));
            const bool done = sqlite3_column_int(st, 5) != 0;
            if (itemId != 0 && (holds(text(3)) || holds(text(4))))
                found.emplace_back(keyNumber, itemId,
                                   HitLine(kind, key, holds(text(3)) ? FoundIn::Content : FoundIn::Note, itemId, done));
        }
        sqlite3_finalize(st);
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end()); // a goal joined to each of its items
    QStringList lines;
    for (auto hit = found.rbegin(); hit != found.rend(); ++hit)
        lines << std::get<2>(*hit);
    return lines;
}

// The excerpt with its marks in brackets.
QString Marked(const SearchHit& hit)
{
    QString text = hit.excerpt;
    for (auto mark = hit.marks.crbegin(); mark != hit.marks.crend(); ++mark)
        text.insert(mark->first + mark->second, u']').insert(mark->first, u'[');
    return text;
}

// The filter of the boxes ticked: y m d (年 月 日), D O (完成 未完成), g c n (目标 工作内容 完成情况).
SearchFilter Ticked(const char* boxes, int from = 0, int to = 0)
{
    using F = SearchFilter;
    SearchFilter filter;
    filter.from = from;
    filter.to = to;
    bool F::*const members[] = {&F::years, &F::months, &F::days,     &F::done,
                                &F::open,  &F::goals,  &F::contents, &F::notes};
    for (int n = 0; n < 8; ++n)
        filter.*members[n] = std::strchr(boxes, "ymdDOgcn"[n]) != nullptr;
    return filter;
}

} // namespace

Q_DECLARE_METATYPE(jotrak::SearchFilter)

class TestSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;

    WorkItemView* list() const { return fx->itemList(); }

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        AppFixture::clearMessages();
    }
    void cleanup()
    {
        QCOMPARE(fx->modals.unexpected(), 0);
        QCOMPARE(fx->modals.pending(), 0);
        fx.reset();
    }

    // Any part of any text, newest first, either case (A-Z only), %_\\' literal, all words: on a file of today,
    // of version 2 before its upgrade and of version 1, as a plain read of the texts finds; and so on a file
    // another tool changed with plain SQL, before and after the program catches up on it.
    void searchFindsEveryPartOfWhatIsWritten_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("hits");
        const QStringList customer{"日 20180102 工作内容 未完成", "日 20180101 完成情况 未完成",
                                   "日 20180101 工作内容 OK", "年 2018 目标"};
        const QStringList doctors{"日 20180103 完成情况 未完成"};
        QTest::newRow("two characters, newest first") << "客户" << customer;
        QTest::newRow("one character") << "客" << customer;
        QTest::newRow("four characters") << "客户回访" << QStringList{"日 20180102 工作内容 未完成"};
        QTest::newRow("either case") << "rePort" << QStringList{"日 20180102 目标", "月 201801 目标"};
        QTest::newRow("one letter, either case")
            << "R" << (QStringList{"日 20180103 目标", doctors[0], "日 20180102 目标", "月 201801 目标"});
        QTest::newRow("all words in one text") << "  report　初稿 " << QStringList{"日 20180102 目标"};
        QTest::newRow("words of content and note apart") << "联系 满意" << QStringList{};
        QTest::newRow("both words in a note") << "满意 客户" << QStringList{"日 20180101 完成情况 未完成"};
        QTest::newRow("two single characters") << "满 客" << QStringList{"日 20180101 完成情况 未完成"};
        QTest::newRow("two characters apart") << "客第" << QStringList{};
        QTest::newRow("one character nowhere") << "龙" << QStringList{};
        QTest::newRow("percent") << "0% 完" << QStringList{"日 20180101 工作内容 OK"};
        QTest::newRow("percent alone") << "%" << QStringList{"日 20180101 工作内容 OK"};
        QTest::newRow("percent is no wildcard") << "联%户" << QStringList{};
        QTest::newRow("underscore") << "e_x" << QStringList{"日 20180101 工作内容 未完成"};
        QTest::newRow("underscore is no wildcard") << "理_料" << QStringList{};
        QTest::newRow("backslash and apostrophe") << "a\\b 'quoted'" << QStringList{"日 20180101 完成情况 OK"};
        QTest::newRow("a letter and a backslash") << "A\\" << QStringList{"日 20180101 完成情况 OK"};
        QTest::newRow("across a line break") << "稿\n第" << QStringList{"日 20180102 目标"};
        QTest::newRow("in a long text") << "隐藏词" << QStringList{"日 20180102 工作内容 未完成"};
        QTest::newRow("that capital alone") << "Ü" << QStringList{"日 20180103 目标"};
        QTest::newRow("that small letter alone") << "ü" << QStringList{};
        QTest::newRow("capitals, A-Z folded") << "ÄRzte" << doctors;
        QTest::newRow("capitals, Ä small") << "ärzte" << QStringList{};
        QTest::newRow("two characters, Ä small") << "äR" << QStringList{};
        QTest::newRow("blanks only") << " \t" << QStringList{};
    }
    void searchFindsEveryPartOfWhatIsWritten()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, hits);
        TempDb db(true);
        FillSearchSample(db.connection);
        QCOMPARE(SearchIndexProblem(db.connection), QString());
        QCOMPARE(ScannedHits(db.connection, query), hits);
        QCOMPARE(HitLines(db.connection, query), hits);
        for (const int version : {2, 1}) {
            ConnectionHolder older; // as the search reads it: not upgraded
            OpenDatabaseForReading(older,
                                   CopyAsVersion(db.path(), db.dir.filePath(QStringLiteral("older.mdb")), version));
            QCOMPARE(HitLines(older, query), hits);
        }

        const QString changed = db.dir.filePath(QStringLiteral("changed.mdb"));
        QVERIFY(QFile::copy(db.path(), changed));
        RunSql(changed, "UPDATE RiNext SET nr = nr || ' 客户 R' WHERE IDME = (SELECT min(IDME) FROM RiNext);"
                        "UPDATE RiNext SET wcqk = '' WHERE wcqk = '客户满意';"
                        "DELETE FROM RiNext WHERE nr = '客户回访';"
                        "UPDATE Nian SET nr = '' WHERE ming = '2018';"
                        "UPDATE Yue SET nr = 'Übung 客 %' WHERE ming = '201802';"
                        "UPDATE Ri SET nr = '满 客 a\\b' WHERE ming = '20180103';"
                        "INSERT INTO RiNext(ShangId, nr, wcqk) SELECT IDME, '补记 ÄR', '满意 100%' FROM Ri "
                        "WHERE ming = '20180102';");
        ConnectionHolder behind;
        OpenDatabaseForReading(behind, changed);
        QVERIFY(ReadSearchIndexState(behind).queued);
        QCOMPARE(HitLines(behind, query), ScannedHits(behind, query));
        ConnectionHolder program;
        OpenDatabase(program, changed);
        QCOMPARE(SearchIndexProblem(program), QString());
        QCOMPARE(HitLines(program, query), ScannedHits(program, query));
    }

    // Clearing or deleting a text leaves nothing of it to be found, whatever part of it is asked for.
    void aClearedOrDeletedTextIsFoundNoMore_data()
    {
        QTest::addColumn<QString>("change");
        for (const char* change : {"goal text", "item content", "item note", "item", "goal row"})
            QTest::newRow(change) << change;
    }
    void aClearedOrDeletedTextIsFoundNoMore()
    {
        QFETCH(QString, change);
        TempDb db(true);
        FillSearchSample(db.connection);
        ConnectionHolder& c = db.connection;
        const QString gone = QStringLiteral("鑫淼焱 Qj");
        const int goal = GoalId(c, Table::Ri, QStringLiteral("20180102"));
        const int item = Items(c, Table::Ri, QStringLiteral("20180102")).front().id;
        if (change.startsWith(u"goal"))
            SetGoal(c, Table::Ri, QStringLiteral("20180102"), gone);
        else
            QVERIFY(ChangeWorkItem(c, Table::Ri, item, change == u"item note" ? QStringLiteral("内容") : gone,
                                   change == u"item note" ? gone : QString(), false));
        QCOMPARE(HitLines(c, QStringLiteral("淼")).size(), 1);
        QCOMPARE(SearchIndexProblem(c), QString());

        if (change == u"goal text")
            SetGoal(c, Table::Ri, QStringLiteral("20180102"), QString());
        else if (change == u"item content")
            QVERIFY(ChangeWorkItem(c, Table::Ri, item, QString(), QStringLiteral("留下"), true));
        else if (change == u"item note")
            QVERIFY(ChangeWorkItem(c, Table::Ri, item, QStringLiteral("内容"), QString(), true));
        else if (change == u"item")
            RemoveWorkItem(c, Table::Ri, item);
        else
            ExecuteStatement(c, {QStringLiteral("DELETE FROM Ri WHERE IDME = ?"), {Value(goal)}, Table::Ri});
        for (const char* part : {"淼", "鑫淼", "鑫淼焱", "qJ", "J"})
            QVERIFY2(HitLines(c, QString::fromUtf8(part)).isEmpty(), part);
        QCOMPARE(SearchIndexProblem(c), QString());
    }

    // The filters narrow the search itself, through the index and without: kind, state (of items only),
    // place, and dates (a month or year when it overlaps them).
    void filtersNarrowTheSearch_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<SearchFilter>("filter");
        QTest::addColumn<QStringList>("hits");
        const QString year = QStringLiteral("年 2018 目标");
        const QString open3 = QStringLiteral("日 20180102 工作内容 未完成");
        const QString note2 = QStringLiteral("日 20180101 完成情况 未完成");
        const QString done1 = QStringLiteral("日 20180101 工作内容 OK");
        const char* all = "ymdDOgcn";
        QTest::newRow("years") << "客" << Ticked("yDOgcn") << QStringList{year};
        QTest::newRow("days") << "客" << Ticked("dDOgcn") << QStringList{open3, note2, done1};
        QTest::newRow("done") << "客" << Ticked("ymdDgcn") << QStringList{done1, year};
        QTest::newRow("not done") << "客" << Ticked("ymdOgcn") << QStringList{open3, note2, year};
        QTest::newRow("neither state: goals alone") << "客户" << Ticked("ymdgcn") << QStringList{year};
        QTest::newRow("goals") << "客户" << Ticked("ymdDOg") << QStringList{year};
        QTest::newRow("contents") << "客" << Ticked("ymdDOc") << QStringList{open3, done1};
        QTest::newRow("notes, an item found in both too")
            << "客" << Ticked("ymdDOn") << QStringList{"日 20180102 完成情况 未完成", note2};
        QTest::newRow("three characters in notes")
            << "已回访" << Ticked("ymdDOn") << QStringList{"日 20180102 完成情况 未完成"};
        QTest::newRow("three characters in contents") << "已回访" << Ticked("ymdDOc") << QStringList{};
        QTest::newRow("one day, its year")
            << "客" << Ticked(all, 20180101, 20180101) << QStringList{note2, done1, year};
        QTest::newRow("one day, its month")
            << "R" << Ticked(all, 20180102, 20180102) << QStringList{"日 20180102 目标", "月 201801 目标"};
        QTest::newRow("from a day on") << "R" << Ticked("dDOgcn", 20180103)
                                       << QStringList{"日 20180103 目标", "日 20180103 完成情况 未完成"};
        QTest::newRow("up to a day") << "R" << Ticked("mdDOgcn", 0, 20180102)
                                     << QStringList{"日 20180102 目标", "月 201801 目标"};
        QTest::newRow("a later year") << "客" << Ticked(all, 20190101, 20191231) << QStringList{};
    }
    void filtersNarrowTheSearch()
    {
        QFETCH(QString, query);
        QFETCH(SearchFilter, filter);
        QFETCH(QStringList, hits);
        TempDb db(true);
        FillSearchSample(db.connection);
        QCOMPARE(HitLines(db.connection, query, filter), hits);
        ConnectionHolder older;
        OpenDatabaseForReading(older, CopyAsVersion(db.path(), db.dir.filePath(QStringLiteral("older.mdb")), 1));
        QCOMPARE(HitLines(older, query, filter), hits);
    }

    // The dates of the filter: a year, month or day at either end; anything else is named.
    void datesOfTheFilter()
    {
        const QString format = QStringLiteral("请把日期写成年(2018)、年月(201801)或年月日(20180101)");
        const std::tuple<QString, QString, int, int, QString> cases[] = {
            {"2018", "", 20180101, 0, ""},
            {"", " 202002 ", 0, 20200229, ""},
            {"20200229", "2020", 20200229, 20201231, ""},
            {"20190229", "", 0, 0, format},
            {"201813", "", 0, 0, format},
            {"", "2018-01", 0, 0, format},
            {"2019", "2018", 20190101, 20181231, "起始日期晚于结束日期"},
        };
        for (const auto& [from, to, first, last, problem] : cases) {
            SearchFilter filter;
            QCOMPARE(ReadDateRange(from, to, filter), problem);
            if (problem.isEmpty())
                QCOMPARE(std::pair(filter.from, filter.to), std::pair(first, last));
        }
    }

    // One line around the first hit, cut with an ellipsis, every hit marked.
    void excerptsAreOneLineWithTheWordsMarked()
    {
        const QString cut = QString(100, u'a') + QStringLiteral("客户") + QString(100, u'b');
        const std::tuple<QString, QString, QString> cases[] = {
            {"联系客户并汇报", "客户", "联系[客户]并汇报"},
            {cut, "客户", "…" + QString(16, u'a') + "[客户]" + QString(42, u'b') + "…"},
            {"第一行\n客户\r\n第三行", "客户", "第一行 [客户]  第三行"},
            {"xxABCDyy", "abc cD", "xx[ABCD]yy"}, // overlapping words, either case
            {"客户与客户", "客户", "[客户]与[客户]"},
        };
        for (const auto& [text, query, marked] : cases)
            QCOMPARE(Marked(Excerpt(text, SearchWords(query))), marked);
    }

    // Ctrl+F or 设置's 搜索; a hit chosen shows its goal and item in the main window, the dialog stays.
    void searchShowsWhatItFindsInTheMainWindow()
    {
        FillSearchSample(fx->db());
        fx->window()->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(fx->window()));
        QTest::keyClick(fx->window(), Qt::Key_F, Qt::ControlModifier);
        auto* dialog = fx->window()->findChild<SearchDialog*>();
        QVERIFY(dialog && dialog->isVisible());
        auto* query = In<QLineEdit>(dialog, "QueryEdit");
        auto* hits = In<QTableWidget>(dialog, "ResultList");
        auto* count = In<QLabel>(dialog, "CountLabel");
        query->insert(QStringLiteral("客户")); // typed (keyClicks takes Latin-1 only); searched after a pause
        QTRY_COMPARE(count->text(), QStringLiteral("共找到 4 条"));
        QStringList first;
        for (int column = 0; column < hits->columnCount(); ++column)
            first << hits->item(0, column)->text();
        QCOMPARE(first, (QStringList{"日", "20180102", "工作内容", "客户回访", "未完成"}));
        QCOMPARE(hits->item(0, 3)->data(SearchDialog::kMarksRole).toList(), QVariantList{QPoint(0, 2)});

        const QPoint second = hits->visualItemRect(hits->item(1, 3)).center();
        QTest::mouseClick(hits->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(hits->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(fx->keyBox("DayKeyEdit")->text(), QStringLiteral("20180101"));
        QCOMPARE(fx->box("DayGoalEdit")->toPlainText(), QStringLiteral("元旦"));
        QVERIFY(list()->isVisible());
        QCOMPARE(list()->items().item(list()->currentIndex().row()).content, QStringLiteral("整理资料 done_x"));
        hits->setCurrentCell(3, 0);
        QTest::keyClick(hits, Qt::Key_Return);
        QCOMPARE(fx->keyBox("YearKeyEdit")->text(), QStringLiteral("2018"));
        QCOMPARE(fx->box("YearGoalEdit")->toPlainText(), QStringLiteral("年度计划:客户第一"));
        QCOMPARE(list()->items().kind(), PeriodKind::Year);
        QCOMPARE(hits->rowCount(), 4); // not searched again
        auto* goals = In<QCheckBox>(dialog, "GoalsBox");
        goals->click();
        QTRY_COMPARE(count->text(), QStringLiteral("共找到 3 条"));
        In<QLineEdit>(dialog, "FromEdit")->setText(QStringLiteral("2018x"));
        QTest::keyClick(query, Qt::Key_Return);
        QCOMPARE(count->text(), QStringLiteral("请把日期写成年(2018)、年月(201801)或年月日(20180101)"));
        In<QLineEdit>(dialog, "FromEdit")->clear();
        goals->click();
        QVERIFY(dialog->isVisible());
        dialog->close();

        fx->modals.next<SettingsDialog>([&](SettingsDialog* d) {
            QTest::mouseClick(In<QPushButton>(d, "btnSearch"), Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            query->clear();
            QTest::keyClicks(query, QStringLiteral("REPORT"));
            auto* go = In<QPushButton>(dialog, "SearchButton");
            // through the window, where a window a modal dialog blocks gets nothing
            QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, {}, go->mapTo(dialog, go->rect().center()));
            QTRY_COMPARE(count->text(), QStringLiteral("共找到 2 条"));
            d->done(2);
        });
        fx->command(kCmdSettings);
        QVERIFY(dialog->isVisible());
    }
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
