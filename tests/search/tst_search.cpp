#include "support/app_fixture.h"
#include "support/database.h"
#include "app/command_ids.h"
#include "search/search_dialog.h"
#include "search/search_store.h"
#include "settings/settings_dialog.h"

#include <QLabel>

using namespace jotrak;
using namespace jotrak::test;

namespace {

// Goals and items to search: years, months and days; Latin letters, %, _, \, an apostrophe, a line break, a long text.
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
}

// The hits of a search, one "kind key place [state]" line each.
QStringList HitLines(ConnectionHolder& c, const QString& query)
{
    QStringList lines;
    SearchLog(c, SearchWords(query), 100, [&](std::vector<SearchHit>&& hits) {
        for (const SearchHit& hit : hits)
            lines << QStringLiteral("%1 %2 %3%4")
                         .arg(QStringLiteral("年月日").at(static_cast<int>(hit.kind) - 1))
                         .arg(hit.key, QStringList{"目标", "工作内容", "完成情况"}.at(static_cast<int>(hit.where)),
                              hit.itemId == 0 ? QString()
                              : hit.done      ? QStringLiteral(" OK")
                                              : QStringLiteral(" 未完成"));
        return true;
    });
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

} // namespace

class TestSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;

    QTableWidget* list() const { return fx->app().ItemList; }

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

    // Any part of any text, newest first, either case, %_\' literal, all words; with the index and without.
    void searchFindsEveryPartOfWhatIsWritten_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("hits");
        const QStringList customer{"日 20180102 工作内容 未完成", "日 20180101 完成情况 未完成",
                                   "日 20180101 工作内容 OK", "年 2018 目标"};
        QTest::newRow("two characters, newest first") << "客户" << customer;
        QTest::newRow("one character") << "客" << customer;
        QTest::newRow("four characters") << "客户回访" << QStringList{"日 20180102 工作内容 未完成"};
        QTest::newRow("either case") << "rePort" << QStringList{"日 20180102 目标", "月 201801 目标"};
        QTest::newRow("all words in one text") << "  report　初稿 " << QStringList{"日 20180102 目标"};
        QTest::newRow("words of content and note apart") << "联系 满意" << QStringList{};
        QTest::newRow("both words in a note") << "满意 客户" << QStringList{"日 20180101 完成情况 未完成"};
        QTest::newRow("percent") << "0% 完" << QStringList{"日 20180101 工作内容 OK"};
        QTest::newRow("percent is no wildcard") << "联%户" << QStringList{};
        QTest::newRow("underscore") << "e_x" << QStringList{"日 20180101 工作内容 未完成"};
        QTest::newRow("underscore is no wildcard") << "理_料" << QStringList{};
        QTest::newRow("backslash and apostrophe") << "a\\b 'quoted'" << QStringList{"日 20180101 完成情况 OK"};
        QTest::newRow("across a line break") << "稿\n第" << QStringList{"日 20180102 目标"};
        QTest::newRow("in a long text") << "隐藏词" << QStringList{"日 20180102 工作内容 未完成"};
        QTest::newRow("blanks only") << " \t" << QStringList{};
    }
    void searchFindsEveryPartOfWhatIsWritten()
    {
        QFETCH(QString, query);
        QFETCH(QStringList, hits);
        TempDb db(true);
        FillSearchSample(db.connection);
        QCOMPARE(SearchIndexProblem(db.connection), QString());
        const QString copy = db.dir.filePath(QStringLiteral("v1.mdb"));
        QVERIFY(QFile::copy(db.path(), copy));
        DropToVersion1(copy);
        ConnectionHolder withoutIndex;
        OpenDatabaseForReading(withoutIndex, copy);
        QCOMPARE(HitLines(db.connection, query), hits);
        QCOMPARE(HitLines(withoutIndex, query), hits);
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
        query->insert(QStringLiteral("客户")); // typed (keyClicks takes Latin-1 only)
        QTest::keyClick(query, Qt::Key_Return);
        QTRY_COMPARE(count->text(), QStringLiteral("共找到 4 条"));
        QStringList first;
        for (int column = 0; column < hits->columnCount(); ++column)
            first << hits->item(0, column)->text();
        QCOMPARE(first, (QStringList{"日", "20180102", "工作内容", "客户回访", "未完成"}));
        QCOMPARE(hits->item(0, 3)->data(SearchDialog::kMarksRole).toList(), QVariantList{QPoint(0, 2)});

        const QPoint second = hits->visualItemRect(hits->item(1, 3)).center();
        QTest::mouseClick(hits->viewport(), Qt::LeftButton, {}, second);
        QTest::mouseDClick(hits->viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(fx->app().DayKeyEdit->text(), QStringLiteral("20180101"));
        QCOMPARE(fx->app().DayGoalEdit->toPlainText(), QStringLiteral("元旦"));
        QVERIFY(list()->isVisible());
        QCOMPARE(list()->item(list()->currentRow(), 2)->text(), QStringLiteral("整理资料 done_x"));
        hits->setCurrentCell(3, 0);
        QTest::keyClick(hits, Qt::Key_Return);
        QCOMPARE(fx->app().YearKeyEdit->text(), QStringLiteral("2018"));
        QCOMPARE(fx->app().YearGoalEdit->toPlainText(), QStringLiteral("年度计划:客户第一"));
        QCOMPARE(fx->app().CurrentKind, 1);
        QCOMPARE(hits->rowCount(), 4); // not searched again
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
