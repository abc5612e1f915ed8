// The log and the item list's model without a screen: a change made through
// the log, whoever makes it, reaches every view of it, and only those.
#include "support/database.h"
#include "data/item_store.h"
#include "goals/work_item_model.h"
#include "shell/work_log.h"

#include <QSignalSpy>
#include <QTest>

#include <functional>

using namespace jotrak;
using namespace jotrak::test;

namespace {

const QString kDay = QStringLiteral("20180101");
const QString kOtherDay = QStringLiteral("20180102");

// Each row as "number|content|note|state|id".
QStringList Rows(const WorkItemModel& model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << QStringLiteral("%1|%2|%3|%4|%5")
                    .arg(model.index(row, WorkItemModel::kNumberColumn).data().toString(),
                         model.index(row, WorkItemModel::kContentColumn).data().toString(),
                         model.index(row, WorkItemModel::kNoteColumn).data().toString(),
                         model.index(row, WorkItemModel::kDoneColumn).data().toString())
                    .arg(model.itemId(row));
    return rows;
}

struct Log {
    TempDb db{true};
    WorkLog log;
    int day = 0, other = 0;
    std::vector<int> ids, otherIds; // the items of each day, written after the other day's first
    Log()
    {
        log.open(db.path());
        ConnectionHolder& c = log.connection();
        day = GoalId(c, Table::Ri, kDay);
        other = GoalId(c, Table::Ri, kOtherDay);
        otherIds.push_back(AddItem(c, Table::Ri, other, QStringLiteral("别的一天")));
        RemoveWorkItem(c, Table::Ri, AddItem(c, Table::Ri, day, QStringLiteral("删掉的")));
        for (const char* content : {"写计划", "开会", "回邮件"})
            ids.push_back(AddItem(c, Table::Ri, day, QString::fromUtf8(content)));
    }
};

using Change = std::function<void(Log&)>;

} // namespace

Q_DECLARE_METATYPE(Change)

class TestWorkLog : public QObject {
    Q_OBJECT

private slots:
    // A goal stored is told once, under its kind and key; a key without a row stores and tells nothing.
    void aStoredGoalIsTold()
    {
        Log l;
        QSignalSpy told(&l.log, &WorkLog::goalChanged);
        QVERIFY(l.log.storeGoalText(PeriodKind::Month, QStringLiteral("201801"), QStringLiteral("一月")));
        QVERIFY(!l.log.storeGoalText(PeriodKind::Month, QStringLiteral("201813"), QStringLiteral("不存在")));
        QCOMPARE(told.size(), 1);
        QCOMPARE(told[0][0].value<PeriodKind>(), PeriodKind::Month);
        QCOMPARE(told[0][1].toString(), QStringLiteral("201801"));
        QCOMPARE(l.log.goalText(PeriodKind::Month, QStringLiteral("201801")),
                 std::optional<QString>(QStringLiteral("一月")));
    }

    // Two lists of the day see the same change; the list of another day sees only its own.
    void everyListOfTheGoalFollowsAChange_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QStringList>("day");
        QTest::addColumn<QStringList>("otherDay");
        const auto row = [](int n, const char* content, int id, const char* state = "未完成", const char* note = "") {
            return QStringLiteral("%1|%2|%3|%4|%5")
                .arg(n)
                .arg(QString::fromUtf8(content), QString::fromUtf8(note), QString::fromUtf8(state))
                .arg(id);
        };
        // ids: the other day's item is 1, the deleted one 2, the day's 3, 4, 5
        const QStringList other{row(1, "别的一天", 1)};
        QTest::newRow("added") << Change([](Log& l) {
            l.log.addItem(PeriodKind::Day, l.day, QStringLiteral("新的"));
        }) << QStringList{row(1, "写计划", 3), row(2, "开会", 4), row(3, "回邮件", 5), row(4, "新的", 6)}
                               << other;
        QTest::newRow("changed") << Change([](Log& l) {
            QVERIFY(l.log.changeItem(PeriodKind::Day, l.day, l.ids[1], QStringLiteral("开会 延期"),
                                     QStringLiteral("改到周五"), true));
        }) << QStringList{row(1, "写计划", 3), row(2, "开会 延期", 4, "OK", "改到周五"), row(3, "回邮件", 5)}
                                 << other;
        QTest::newRow("removed, then one added: numbers as the list has always kept them") << Change([](Log& l) {
            l.log.removeItem(PeriodKind::Day, l.day, l.ids[0]);
            l.log.addItem(PeriodKind::Day, l.day, QStringLiteral("补上"));
        }) << QStringList{row(2, "开会", 4), row(3, "回邮件", 5), row(3, "补上", 6)} << other;
        QTest::newRow("an item of the other day changed") << Change([](Log& l) {
            QVERIFY(l.log.changeItem(PeriodKind::Day, l.other, l.otherIds[0], QStringLiteral("别的"), {}, true));
        }) << QStringList{row(1, "写计划", 3), row(2, "开会", 4), row(3, "回邮件", 5)}
                                                          << QStringList{row(1, "别的", 1, "OK")};
        QTest::newRow("a gone item changed: nothing stored, nothing told") << Change([](Log& l) {
            QVERIFY(!l.log.changeItem(PeriodKind::Day, l.day, 2, QStringLiteral("x"), {}, true));
        }) << QStringList{row(1, "写计划", 3), row(2, "开会", 4), row(3, "回邮件", 5)}
                                                                           << other;
        QTest::newRow("carried forward to the other day")
            << Change([](Log& l) { QCOMPARE(l.log.carryItems(PeriodKind::Day, {l.ids[2]}, kOtherDay).carried, 1); })
            << QStringList{row(1, "写计划", 3), row(2, "开会", 4), row(3, "回邮件", 5, "已结转", "已结转 → 20180102")}
            << QStringList{row(1, "别的一天", 1), row(2, "回邮件", 6)};
        QTest::newRow("another program's change, then the file opened afresh") << Change([](Log& l) {
            ConnectionHolder second;
            OpenDatabase(second, l.db.path());
            RemoveWorkItem(second, Table::Ri, l.ids[1]);
            l.log.reopen(l.db.path());
        }) << QStringList{row(1, "写计划", 3), row(2, "回邮件", 5)} << other;
    }
    void everyListOfTheGoalFollowsAChange()
    {
        QFETCH(Change, change);
        QFETCH(QStringList, day);
        QFETCH(QStringList, otherDay);
        Log l;
        WorkItemModel first(l.log), second(l.log), other(l.log);
        first.list(PeriodKind::Day, kDay);
        second.list(PeriodKind::Day, kDay);
        other.list(PeriodKind::Day, kOtherDay);
        change(l);
        QCOMPARE(Rows(first), day);
        QCOMPARE(Rows(second), day);
        QCOMPARE(Rows(other), otherDay);
        QStringList stored;
        for (const WorkItem& item : ListWorkItems(l.log.connection(), Table::Ri, l.day))
            stored << QString::number(item.id);
        QStringList shown;
        for (int row = 0; row < first.rowCount(); ++row)
            shown << QString::number(first.itemId(row));
        QCOMPARE(shown, stored);
    }
};

QTEST_GUILESS_MAIN(TestWorkLog)
#include "tst_work_log.moc"
