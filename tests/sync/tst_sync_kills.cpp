// The applying program killed at random moments, 200 times: each time the file
// is sound, and the next start goes on to the same log as the other computer's.

#include "sync_computer.h"
#include "support/database.h"

#include "data/item_store.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace jotrak;
using namespace jotrak::test;

namespace {

constexpr int kKills = 200;
constexpr int kChanges = 150;

QString ScratchRoot()
{
    return (QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
           QStringLiteral("/jotrak-sync-XXXXXX");
}

// Changes of every kind, texts of every shape, on days of one month.
void MakeChanges(ConnectionHolder& c, QRandomGenerator& rng)
{
    const QStringList texts = {QStringLiteral("联系'客户'"), QStringLiteral("第一行\n第二行"), QStringLiteral("😀 𠀀"),
                               QStringLiteral("整理报价单"), QStringLiteral("周会纪要").repeated(50)};
    for (int i = 0; i < kChanges; ++i) {
        const QString day = QStringLiteral("202612%1").arg(1 + rng.bounded(28), 2, 10, QLatin1Char('0'));
        const QString text = texts[rng.bounded(texts.size())] + QString::number(i);
        const std::vector<WorkItem> items = Items(c, Table::Ri, day);
        switch (items.empty() ? rng.bounded(2) : rng.bounded(5)) {
        case 0: SetGoal(c, Table::Ri, day, text); break;
        case 1: AddItem(c, Table::Ri, GoalId(c, Table::Ri, day), text); break;
        case 2: ChangeWorkItem(c, Table::Ri, items.front().id, text, text, rng.bounded(2) == 1); break;
        case 3: RemoveWorkItem(c, Table::Ri, items.back().id); break;
        default: AddScheme(c, QStringLiteral("G%1=").arg(1201 + rng.bounded(28)) + text); break;
        }
    }
}

} // namespace

class TestSyncKills : public QObject {
    Q_OBJECT

private slots:
    void killsWhileApplyingLeaveTheFileSound()
    {
        QTemporaryDir root(ScratchRoot());
        const QString folder = root.filePath(QStringLiteral("shared"));
        QDir().mkpath(folder);
        SyncComputer a(root.filePath(QStringLiteral("a")), folder);
        QRandomGenerator rng(20261207);
        MakeChanges(a.log(), rng);
        QCOMPARE(a.round().sent, kChanges);
        const QStringList expected = SharedContent(a.log());
        const QString bDir = root.filePath(QStringLiteral("b"));
        int caughtUp = 0;
        int cut = 0;
        for (int start = 0; cut < kKills && start < 4 * kKills; ++start) {
            QProcess peer;
            peer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/sync_peer"),
                       {QStringLiteral("round"), bDir, folder});
            QVERIFY(peer.waitForStarted());
            const bool finished = peer.waitForFinished(static_cast<int>(rng.bounded(5u, 60u)));
            if (!finished) {
                ::kill(static_cast<pid_t>(peer.processId()), SIGKILL);
                QVERIFY(peer.waitForFinished(10000));
                ++cut;
            }
            if (!QFileInfo::exists(QDir(bDir).filePath(QStringLiteral("db.mdb"))))
                continue;
            ConnectionHolder b;
            OpenDatabase(b, QDir(bDir).filePath(QStringLiteral("db.mdb")));
            QCOMPARE(IntegrityCheck(b), QStringLiteral("ok"));
            QCOMPARE(SearchIndexProblem(b), QString());
            if (finished && peer.exitCode() == 0) { // caught up: the same log; then again from nothing
                QCOMPARE(SharedContent(b), expected);
                ++caughtUp;
                CloseConnection(b);
                QVERIFY(QDir(bDir).removeRecursively());
            }
        }
        qInfo() << cut << "killed," << caughtUp << "caught up";
        QCOMPARE(cut, kKills);
        QCOMPARE(SyncComputer(bDir, folder).round().problems, QStringList());
        ConnectionHolder b;
        OpenDatabase(b, QDir(bDir).filePath(QStringLiteral("db.mdb")));
        QCOMPARE(SharedContent(b), expected);
    }
};

QTEST_GUILESS_MAIN(TestSyncKills)
#include "tst_sync_kills.moc"
