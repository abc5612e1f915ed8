// Two or three computers on one machine: data folders of their own, one shared
// folder; changes travel, changes made at once converge with both texts kept,
// and what a sync engine leaves behind is never applied.

#include "sync_computer.h"
#include "support/bytes.h"
#include "support/database.h"

#include "data/item_store.h"
#include "data/schema.h"
#include "sync/change_apply.h"
#include "sync/change_file.h"
#include "sync/sync_folder.h"

#include <QTest>
#include <QThread>

#include <functional>

using namespace jotrak;
using namespace jotrak::test;

namespace {

const QString kDay = QStringLiteral("20261207");

using Action = std::function<void(ConnectionHolder&)>;

WorkItem FirstItem(ConnectionHolder& c, const QString& day = kDay)
{
    const std::vector<WorkItem> items = Items(c, Table::Ri, day);
    return items.empty() ? WorkItem{} : items.front();
}

// Gives every goal of a log other ids than the seeding gave, as on a computer seeded apart.
void MoveGoalIds(const QString& path)
{
    RunSql(path, "UPDATE Nian SET IDME = IDME + 100000; UPDATE Yue SET IDME = IDME + 100000; "
                 "UPDATE Ri SET IDME = IDME + 100000;");
}

bool HasLine(const QStringList& content, const QString& part)
{
    return std::any_of(content.begin(), content.end(), [&](const QString& line) { return line.contains(part); });
}

struct Pair {
    QTemporaryDir root;
    QString folder = root.filePath(QStringLiteral("shared"));
    SyncComputer a{root.filePath(QStringLiteral("a")), folder};
    SyncComputer b{root.filePath(QStringLiteral("b")), folder};
    Pair()
    {
        QDir().mkpath(folder);
        MoveGoalIds(b.databasePath());
        // one goal and one item both computers know
        AddItem(a.log(), Table::Ri, SetGoal(a.log(), Table::Ri, kDay, QStringLiteral("写周报")),
                QStringLiteral("联系客户"), QStringLiteral("已约周三"));
        exchange();
    }
    void exchange()
    {
        a.round();
        b.round();
        a.round();
    }
};

} // namespace

class TestSync : public QObject {
    Q_OBJECT

private slots:
    void aChangeReachesTheOtherComputer_data()
    {
        QTest::addColumn<Action>("change");
        QTest::addColumn<QString>("seenThere");
        QTest::addColumn<bool>("present");
        QTest::newRow("day goal, quotes and lines")
            << Action([](ConnectionHolder& c) { SetGoal(c, Table::Ri, kDay, QStringLiteral("整理'报价单'\n第二行")); })
            << QStringLiteral("| 整理'报价单'\n第二行") << true;
        QTest::newRow("month and year goals") << Action([](ConnectionHolder& c) {
            SetGoal(c, Table::Yue, QStringLiteral("202612"), QStringLiteral("月目标"));
            SetGoal(c, Table::Nian, QStringLiteral("2027"), QStringLiteral("年目标"));
        }) << QStringLiteral("Nian | 2027 | 年目标")
                                              << true;
        QTest::newRow("item under a day the other has not used") << Action([](ConnectionHolder& c) {
            AddItem(c, Table::Ri, GoalId(c, Table::Ri, QStringLiteral("20270101")), QStringLiteral("元旦值班"));
        }) << QStringLiteral("| 20270101 | 元旦值班 |  | 0") << true;
        QTest::newRow("item changed") << Action([](ConnectionHolder& c) {
            ChangeWorkItem(c, Table::Ri, FirstItem(c).id, QStringLiteral("联系客户 张"), QStringLiteral("已签"), true);
        }) << QStringLiteral("| 联系客户 张 | 已签 | 1")
                                      << true;
        QTest::newRow("item removed") << Action(
                                             [](ConnectionHolder& c) { RemoveWorkItem(c, Table::Ri, FirstItem(c).id); })
                                      << QStringLiteral("联系客户") << false;
        QTest::newRow("reminder scheme") << Action([](ConnectionHolder& c) {
            AddScheme(c, QStringLiteral("G0221=交房租"), QStringLiteral("房租"));
        }) << QStringLiteral("| 房租 | 交房租")
                                         << true;
        QTest::newRow("launcher button") << Action([](ConnectionHolder& c) {
            ExecuteStatement(
                c, {QStringLiteral("UPDATE An SET ming = '计算器', wj = '/usr/bin/galculator' WHERE IDME = 3"),
                    {},
                    Table::An});
        }) << QStringLiteral("An | 3 | 计算器 | /usr/bin/galculator")
                                         << true;
    }

    void aChangeReachesTheOtherComputer()
    {
        QFETCH(Action, change);
        QFETCH(QString, seenThere);
        QFETCH(bool, present);
        Pair pair;
        change(pair.a.log());
        const SyncRoundReport sent = pair.a.round();
        QVERIFY(sent.sent >= 1);
        const SyncRoundReport received = pair.b.round();
        QVERIFY2(received.problems.isEmpty(), qPrintable(received.problems.join(u'\n')));
        QCOMPARE(received.received, sent.sent);
        QVERIFY(!received.changes.empty());
        QCOMPARE(HasLine(SharedContent(pair.b.log()), seenThere), present);
        QCOMPARE(SharedContent(pair.b.log()), SharedContent(pair.a.log()));
        // nothing comes back, and applying again changes nothing
        QCOMPARE(pair.a.round().received, 0);
        QCOMPARE(pair.b.round().received, 0);
    }

    void changesMadeAtOnceConverge_data()
    {
        QTest::addColumn<Action>("onA");
        QTest::addColumn<Action>("onB");
        QTest::addColumn<QStringList>("kept");
        QTest::addColumn<QStringList>("gone");
        const auto goal = [](const char* text) {
            return Action([text](ConnectionHolder& c) { SetGoal(c, Table::Ri, kDay, QString::fromUtf8(text)); });
        };
        const auto content = [](const char* text) {
            return Action([text](ConnectionHolder& c) {
                const WorkItem item = FirstItem(c);
                ChangeWorkItem(c, Table::Ri, item.id, QString::fromUtf8(text), item.note, item.done);
            });
        };
        const Action remove = [](ConnectionHolder& c) { RemoveWorkItem(c, Table::Ri, FirstItem(c).id); };
        const auto done = [](bool isDone) {
            return Action([isDone](ConnectionHolder& c) {
                const WorkItem item = FirstItem(c);
                ChangeWorkItem(c, Table::Ri, item.id, item.content, item.note, isDone);
            });
        };
        const auto add = [](const char* text) {
            return Action([text](ConnectionHolder& c) {
                AddItem(c, Table::Ri, GoalId(c, Table::Ri, kDay), QString::fromUtf8(text));
            });
        };
        QTest::newRow("one goal text") << goal("办公室写的") << goal("家里写的")
                                       << QStringList{"家里写的\n" + SyncConflictLine() + "\n办公室写的"}
                                       << QStringList{};
        QTest::newRow("one item's content")
            << content("甲") << content("乙") << QStringList{"乙\n" + SyncConflictLine() + "\n甲"} << QStringList{};
        QTest::newRow("changed here, deleted there")
            << content("改过的") << remove << QStringList{"改过的"} << QStringList{};
        QTest::newRow("deleted here, changed there")
            << remove << content("改过的") << QStringList{"改过的"} << QStringList{};
        const Action doneThenNot = [done](ConnectionHolder& c) {
            done(true)(c);
            QThread::msleep(2);
            done(false)(c);
        };
        QTest::newRow("done on one; done, then not, on the other")
            << done(true) << doneThenNot << QStringList{"联系客户 | 已约周三 | 0"} << QStringList{};
        QTest::newRow("two new items") << add("甲项") << add("乙项") << QStringList{"甲项", "乙项"} << QStringList{};
        QTest::newRow("deleted on both") << remove << remove << QStringList{} << QStringList{"联系客户"};
    }

    void changesMadeAtOnceConverge()
    {
        QFETCH(Action, onA);
        QFETCH(Action, onB);
        QFETCH(QStringList, kept);
        QFETCH(QStringList, gone);
        Pair pair;
        onA(pair.a.log());
        QThread::msleep(3); // B's change is the newer
        onB(pair.b.log());
        pair.exchange();
        pair.b.round();
        const QStringList onBoth = SharedContent(pair.a.log());
        QCOMPARE(SharedContent(pair.b.log()), onBoth);
        for (const QString& text : kept)
            QVERIFY2(HasLine(onBoth, text), qPrintable(text + u'\n' + onBoth.join(u'\n')));
        for (const QString& text : gone)
            QVERIFY2(!HasLine(onBoth, text), qPrintable(text));
    }

    // A file cut short, damaged, copied by the sync engine, or from a newer release
    // is never applied, not in part either; the real file is, once it is whole.
    void filesASyncEngineLeavesAreSkipped_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("cut");
        QTest::addColumn<int>("schema");
        QTest::addColumn<QString>("problem");
        QTest::newRow("half copied") << QString() << 2 << 0 << QStringLiteral("不完整");
        QTest::newRow("one byte changed") << QString() << -1 << 0 << QStringLiteral("校验和");
        QTest::newRow("from a newer release") << QString() << 0 << kSchemaVersion + 1 << QStringLiteral("更新版本");
        QTest::newRow("engine's conflict copy")
            << QStringLiteral("%1.sync-conflict-20261207-101010-ABCDEFG.changeset") << 0 << 0 << QStringLiteral("副本");
        QTest::newRow("a (1) copy") << QStringLiteral("%1 (1).changeset") << 0 << 0 << QStringLiteral("副本");
    }

    void filesASyncEngineLeavesAreSkipped()
    {
        QFETCH(QString, name);
        QFETCH(int, cut);
        QFETCH(int, schema);
        QFETCH(QString, problem);
        Pair pair;
        const QStringList before = SharedContent(pair.b.log());
        SetGoal(pair.a.log(), Table::Ri, kDay, QStringLiteral("新的目标"));
        pair.a.round();
        const auto files = ListSyncFolder(pair.folder).changes.at(pair.a.device().id);
        const QString real = files.rbegin()->second;
        const QByteArray whole = ReadBytes(real);
        QByteArray left = whole;
        if (cut > 0)
            left = whole.left(whole.size() / cut);
        if (cut < 0)
            left[whole.size() / 2] = static_cast<char>(left[whole.size() / 2] ^ 0x20);
        if (schema > 0) {
            ChangeFile newer = *DecodeChangeFile(whole).file;
            newer.schema = schema;
            left = EncodeChangeFile(newer);
        }
        QString placed = real;
        if (!name.isEmpty()) {
            QVERIFY(QFile::remove(real));
            placed = QFileInfo(real).dir().filePath(name.arg(QFileInfo(real).completeBaseName()));
        }
        QVERIFY(WriteBytes(placed, left));
        const SyncRoundReport skipped = pair.b.round();
        QCOMPARE(skipped.received, 0);
        QVERIFY2(skipped.problems.join(u'\n').contains(problem), qPrintable(skipped.problems.join(u'\n')));
        QCOMPARE(SharedContent(pair.b.log()), before);
        QVERIFY(WriteBytes(real, whole));
        QCOMPARE(pair.b.round().received, 1);
        QCOMPARE(SharedContent(pair.b.log()), SharedContent(pair.a.log()));
    }

    // The files of a round share a commit: one whose changes cannot be applied
    // is left out alone, the file before it stays applied.
    void aFileThatCannotBeAppliedKeepsBackOnlyItself()
    {
        Pair pair;
        SetGoal(pair.a.log(), Table::Ri, kDay, QStringLiteral("第一个"));
        SetGoal(pair.a.log(), Table::Ri, QStringLiteral("20261208"), QStringLiteral("第二个"));
        QCOMPARE(pair.a.round().sent, 2);
        const QString last = ListSyncFolder(pair.folder).changes.at(pair.a.device().id).rbegin()->second;
        const QByteArray whole = ReadBytes(last);
        ChangeFile broken = *DecodeChangeFile(whole).file;
        broken.changeset = QByteArray("not a changeset");
        QVERIFY(WriteBytes(last, EncodeChangeFile(broken)));
        const SyncRoundReport round = pair.b.round();
        QCOMPARE(round.received, 1);
        QVERIFY2(round.problems.join(u'\n').contains(QStringLiteral("无法应用")),
                 qPrintable(round.problems.join(u'\n')));
        QVERIFY(HasLine(SharedContent(pair.b.log()), QStringLiteral("第一个")));
        QVERIFY(!HasLine(SharedContent(pair.b.log()), QStringLiteral("第二个")));
        QVERIFY(WriteBytes(last, whole));
        QCOMPARE(pair.b.round().received, 1);
        QCOMPARE(SharedContent(pair.b.log()), SharedContent(pair.a.log()));
    }

    // A log with years in it meets the folder: it goes out as one snapshot; a new
    // computer starts from it; a third with its own log joins, and all hold both.
    void logsThatMeetTheFolderLateAreMerged()
    {
        QTemporaryDir root;
        const QString folder = root.filePath(QStringLiteral("shared"));
        QDir().mkpath(folder);
        const QString aDir = root.filePath(QStringLiteral("a"));
        {
            SyncComputer early(aDir, folder, false); // before sync was on
            const int goal =
                SetGoal(early.log(), Table::Ri, QStringLiteral("20200102"), QStringLiteral("多年前的目标"));
            AddItem(early.log(), Table::Ri, goal, QStringLiteral("旧的工作"), QStringLiteral("完成"), true);
            AddScheme(early.log(), QStringLiteral("L0815=中秋"), QStringLiteral("节日"));
            ExecuteStatement(
                early.log(),
                {QStringLiteral("UPDATE An SET ming = '邮件', wj = 'thunderbird' WHERE IDME = 18"), {}, Table::An});
        }
        SyncComputer a(aDir, folder);
        QCOMPARE(a.round().sent, 1); // the snapshot
        SetGoal(a.log(), Table::Ri, kDay, QStringLiteral("今天的目标"));
        QCOMPARE(a.round().sent, 1);

        SyncComputer fresh(root.filePath(QStringLiteral("b")), folder);
        const SyncRoundReport caughtUp = fresh.round();
        QVERIFY2(caughtUp.problems.isEmpty(), qPrintable(caughtUp.problems.join(u'\n')));
        QCOMPARE(caughtUp.received, 2);
        QCOMPARE(caughtUp.sent, 0);
        QCOMPARE(SharedContent(fresh.log()), SharedContent(a.log()));
        QCOMPARE(SearchIndexProblem(fresh.log()), QString());
        // the seeded buttons of a new computer never win over A's, whichever id is the greater
        for (int n = 0; n < 6; ++n) {
            SyncComputer another(root.filePath(QStringLiteral("new%1").arg(n)), folder);
            another.round();
            QCOMPARE(SharedContent(another.log()), SharedContent(a.log()));
        }

        const QString cDir = root.filePath(QStringLiteral("c"));
        {
            SyncComputer own(cDir, folder, false);
            SetGoal(own.log(), Table::Ri, kDay, QStringLiteral("另一台电脑的目标"));
        }
        SyncComputer c(cDir, folder);
        c.round();
        a.round();
        fresh.round();
        const QStringList all = SharedContent(a.log());
        QCOMPARE(SharedContent(c.log()), all);
        QCOMPARE(SharedContent(fresh.log()), all);
        QVERIFY(HasLine(all, QStringLiteral("多年前的目标")));
        QVERIFY(HasLine(all, QStringLiteral("另一台电脑的目标")));
        QVERIFY(HasLine(all, QStringLiteral("今天的目标")));
        QVERIFY(HasLine(all, QStringLiteral("An | 18 | 邮件 | thunderbird")));
    }

    // Every few changes a snapshot; the files every computer holds and it covers go,
    // and a new computer starts from it.
    void theFolderDoesNotGrowWithoutEnd()
    {
        Pair pair;
        for (int i = 0; i < 5; ++i)
            SetGoal(pair.a.log(), Table::Ri, kDay, QStringLiteral("第 %1 次").arg(i));
        ConnectionHolder own;
        OpenDatabase(own, pair.a.databasePath());
        RunSyncRound(own, pair.folder, pair.a.device(), 3);
        pair.b.round(); // tells what it holds
        RunSyncRound(own, pair.folder, pair.a.device(), 3);
        const SyncFolderListing left = ListSyncFolder(pair.folder);
        QCOMPARE(left.snapshots.at(pair.a.device().id).size(), std::size_t{1});
        QCOMPARE(left.changes.count(pair.a.device().id), std::size_t{0});
        SyncComputer fresh(pair.root.filePath(QStringLiteral("c")), pair.folder);
        QCOMPARE(fresh.round().problems, QStringList());
        QCOMPARE(SharedContent(fresh.log()), SharedContent(pair.a.log()));
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
