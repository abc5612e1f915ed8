#include "app/test_app_fixture.h"
#include "data/record_access.h"
#include "data/seed.h"
#include "goals/period_goals.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

using namespace jotrak;
using jotrak::test::AppFixture;

namespace {

const QString kNotFound = QStringLiteral("数据库中不存在该条记录,请选择一个大于20180101的年月");
const QString kModified = QStringLiteral("修改完成");

// One goal row of the main window: its table, boxes and commands.
struct GoalRow {
    Table table;
    QLineEdit* AppContext::*key;
    QPlainTextEdit* AppContext::*goal;
    int view;
    int modify;
    QString sampleKey;
    QString otherKey;
};

// nr of the goal row ming = key, read straight from the database.
Value StoredGoal(Table table, const QString& key)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalByKey(table, key), App().connection);
    if (IsAtEnd(rs))
        return Value(QStringLiteral("<no row>"));
    return GetFieldValue(rs, QStringLiteral("nr"));
}

void StoreGoal(Table table, const QString& key, const Value& text)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::GoalByKey(table, key), App().connection);
    QVERIFY(!IsAtEnd(rs));
    SetFieldValue(rs, QStringLiteral("nr"), text);
    StoreRow(rs);
}

int RowsWithText(Table table)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectAll(table), App().connection);
    int count = 0;
    for (; !IsAtEnd(rs); MoveToNext(rs))
        count += GetFieldValue(rs, QStringLiteral("nr")).isNull() ? 0 : 1;
    return count;
}

// The texts of the messages shown; a caption that differs from its text shows up too.
QList<QString> ShownTexts()
{
    QList<QString> texts;
    for (const auto& message : AppFixture::messages()) {
        texts << message.text;
        if (message.caption != message.text)
            texts << QStringLiteral("caption: ") + message.caption;
    }
    return texts;
}

QList<std::pair<const char*, GoalRow>> Rows()
{
    return {
        {"year",
         {Table::Nian, &AppContext::YearKeyEdit, &AppContext::YearGoalEdit, 110, 111, QStringLiteral("2018"),
          QStringLiteral("2037")}},
        {"month",
         {Table::Yue, &AppContext::MonthKeyEdit, &AppContext::MonthGoalEdit, 113, 114, QStringLiteral("201801"),
          QStringLiteral("201802")}},
        {"day",
         {Table::Ri, &AppContext::DayKeyEdit, &AppContext::DayGoalEdit, 116, 117, QStringLiteral("20180101"),
          QStringLiteral("20200229")}},
    };
}

} // namespace

Q_DECLARE_METATYPE(GoalRow)

class PeriodGoalsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<AppFixture> fx;

    QLineEdit* key(const GoalRow& row) const { return fx->app().*row.key; }
    QPlainTextEdit* goal(const GoalRow& row) const { return fx->app().*row.goal; }

    static void addRows()
    {
        QTest::addColumn<GoalRow>("row");
        for (const auto& [name, row] : Rows())
            QTest::newRow(name) << row;
    }

private slots:
    void init()
    {
        fx = std::make_unique<AppFixture>();
        AppFixture::clearMessages();
    }
    void cleanup() { fx.reset(); }

    void viewShowsTheGoalOfTheKeyInTheBox_data() { addRows(); }
    void viewShowsTheGoalOfTheKeyInTheBox()
    {
        QFETCH(GoalRow, row);
        StoreGoal(row.table, row.sampleKey, QStringLiteral("第一个目标"));
        StoreGoal(row.table, row.otherKey, QStringLiteral("另一个目标\n第二行"));

        key(row)->setText(row.sampleKey);
        fx->command(row.view);
        QCOMPARE(goal(row)->toPlainText(), QStringLiteral("第一个目标"));

        key(row)->setText(row.otherKey);
        fx->command(row.view);
        QCOMPARE(goal(row)->toPlainText(), QStringLiteral("另一个目标\n第二行"));
        QVERIFY(ShownTexts().isEmpty());
        QCOMPARE(fx->app().CurrentGoalId, -1);
        QCOMPARE(fx->app().CurrentKind, 3);
    }

    void viewOfANullGoalEmptiesTheBox_data() { addRows(); }
    void viewOfANullGoalEmptiesTheBox()
    {
        QFETCH(GoalRow, row);
        goal(row)->setPlainText(QStringLiteral("another period's text"));
        key(row)->setText(row.otherKey);
        fx->command(row.view);
        QCOMPARE(goal(row)->toPlainText(), QString());
        QVERIFY(ShownTexts().isEmpty());
    }

    void viewOfAMissingKeyTellsAndKeepsTheBox_data()
    {
        QTest::addColumn<GoalRow>("row");
        QTest::addColumn<QString>("missingKey");
        for (const auto& [name, row] : Rows()) {
            for (const QString& missing :
                 {QStringLiteral("2017"), QStringLiteral("203801"), QStringLiteral("2018'; --"),
                  QStringLiteral("O'Brien"), row.sampleKey + QStringLiteral("'")}) {
                QTest::addRow("%s %s", name, qPrintable(missing)) << row << missing;
            }
        }
        // a key is matched exactly as typed: "2018" names no month and no day
        QTest::addRow("month 2018") << Rows()[1].second << QStringLiteral("2018");
        QTest::addRow("day 201801") << Rows()[2].second << QStringLiteral("201801");
    }
    void viewOfAMissingKeyTellsAndKeepsTheBox()
    {
        QFETCH(GoalRow, row);
        QFETCH(QString, missingKey);
        goal(row)->setPlainText(QStringLiteral("kept"));
        key(row)->setText(missingKey);
        fx->command(row.view);
        QCOMPARE(goal(row)->toPlainText(), QStringLiteral("kept"));
        QVERIFY(ShownTexts().contains(kNotFound));
    }

    void modifyStoresTheBoxAndReports_data() { addRows(); }
    void modifyStoresTheBoxAndReports()
    {
        QFETCH(GoalRow, row);
        key(row)->setText(row.otherKey);
        goal(row)->setPlainText(QStringLiteral("完成季度计划\n第二行'引号'"));
        fx->command(row.modify);
        QCOMPARE(StoredGoal(row.table, row.otherKey), Value(QStringLiteral("完成季度计划\n第二行'引号'")));
        QCOMPARE(ShownTexts(), QList<QString>{kModified});
        QCOMPARE(goal(row)->toPlainText(), QStringLiteral("完成季度计划\n第二行'引号'"));
        QCOMPARE(RowsWithText(row.table), 1);
    }

    void modifyOfAnEmptyBoxStoresEmptyText_data() { addRows(); }
    void modifyOfAnEmptyBoxStoresEmptyText()
    {
        QFETCH(GoalRow, row);
        StoreGoal(row.table, row.sampleKey, QStringLiteral("old"));
        key(row)->setText(row.sampleKey);
        goal(row)->clear();
        fx->command(row.modify);
        const Value stored = StoredGoal(row.table, row.sampleKey);
        QVERIFY(!stored.isNull());
        QCOMPARE(stored, Value(QString()));
        QCOMPARE(ShownTexts(), QList<QString>{kModified});
    }

    void modifyOfAMissingKeyWritesNothingAndTellsAsViewDoes_data() { addRows(); }
    void modifyOfAMissingKeyWritesNothingAndTellsAsViewDoes()
    {
        QFETCH(GoalRow, row);
        const QStringList missingKeys = {QStringLiteral("2017"), QStringLiteral(" 2026"), QStringLiteral("'"),
                                         QStringLiteral("2018' or '1'='1"), row.sampleKey + QStringLiteral("'")};
        for (const QString& missing : missingKeys) {
            key(row)->setText(missing);
            goal(row)->setPlainText(QStringLiteral("must not be stored"));
            fx->command(row.modify);
        }
        QCOMPARE(ShownTexts(), QList<QString>(missingKeys.size(), kNotFound));
        for (Table table : {Table::Nian, Table::Yue, Table::Ri})
            QCOMPARE(RowsWithText(table), 0);
    }

    void longGoalsAreKeptWhole_data() { addRows(); }
    void longGoalsAreKeptWhole()
    {
        QFETCH(GoalRow, row);
        QString text;
        for (int i = 0; text.size() < 100000; ++i)
            text += QStringLiteral("第%1行目标,").arg(i);
        text += QStringLiteral("末尾");
        key(row)->setText(row.sampleKey);
        goal(row)->setPlainText(text);
        fx->command(row.modify);
        QCOMPARE(StoredGoal(row.table, row.sampleKey).toText(), text);
        goal(row)->clear();
        fx->command(row.view);
        QCOMPARE(goal(row)->toPlainText(), text);
    }

    void aRowTouchesOnlyItsOwnBoxes()
    {
        StoreGoal(Table::Nian, QStringLiteral("2018"), QStringLiteral("年"));
        fx->app().MonthGoalEdit->setPlainText(QStringLiteral("month box"));
        fx->app().DayGoalEdit->setPlainText(QStringLiteral("day box"));
        fx->command(110);
        fx->command(111);
        QCOMPARE(fx->app().YearGoalEdit->toPlainText(), QStringLiteral("年"));
        QCOMPARE(fx->app().MonthGoalEdit->toPlainText(), QStringLiteral("month box"));
        QCOMPARE(fx->app().DayGoalEdit->toPlainText(), QStringLiteral("day box"));
        QCOMPARE(StoredGoal(Table::Yue, QStringLiteral("201801")), Value());
    }

    void startUpShowsTheStoredGoalsOfToday()
    {
        fx.reset();
        test::AppFixtureOptions options;
        options.prepare = [](const QString& exeDir) {
            ConnectionHolder connection;
            CreateConnection(connection);
            OpenDatabase(connection, DatabasePath(exeDir));
            SeedPeriodTables(connection);
            for (const auto& [table, key] :
                 {std::pair{Table::Nian, QStringLiteral("2018")}, std::pair{Table::Yue, QStringLiteral("201801")},
                  std::pair{Table::Ri, QStringLiteral("20180101")}}) {
                RecordsetHolder rs;
                OpenRecordset(rs, stmt::GoalByKey(table, key), connection);
                SetFieldValue(rs, QStringLiteral("nr"), QStringLiteral("goal ") + key);
                StoreRow(rs);
            }
        };
        fx = std::make_unique<AppFixture>(options);
        QCOMPARE(fx->app().YearGoalEdit->toPlainText(), QStringLiteral("goal 2018"));
        QCOMPARE(fx->app().MonthGoalEdit->toPlainText(), QStringLiteral("goal 201801"));
        QVERIFY(ShownTexts().isEmpty());
    }

    void startUpOutsideTheSeededYearsTellsOfTheMissingGoals()
    {
        fx.reset();
        test::AppFixtureOptions options;
        options.now = QDateTime(QDate(2017, 12, 31), QTime(23, 0));
        fx = std::make_unique<AppFixture>(options);
        // the year and the month goal, and the day goal shown with the reminders
        const QList<QString> shown = ShownTexts();
        QVERIFY2(shown.size() >= 2 && shown.size() <= 3, qPrintable(shown.join(u'|')));
        QCOMPARE(shown.count(kNotFound), shown.size());
    }
};

QTEST_MAIN(PeriodGoalsTest)
#include "tst_period_goals.moc"
