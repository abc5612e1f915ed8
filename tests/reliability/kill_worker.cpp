// The kill worker on the program's stores alone, without a window: the changes
// the program's operations make (items added, changed, completed and deleted;
// goals; reminder schemes; launcher rows), through the same store calls. It
// starts in a few milliseconds, so many changes fall between two kills. With
// --workload backups it backs the file up and restores copies instead. See
// worker_common.h.

#include "worker_common.h"

#include "data/backup.h"
#include "data/keys.h"
#include "data/restore.h"
#include "data/seed.h"
#include "goals/goal_store.h"
#include "goals/item_store.h"
#include "launcher/launcher_table.h"
#include "reminders/scheme_store.h"

#include <QDir>

using namespace jotrak;
using namespace jotrak::reliability;

namespace {

class DataWorkload {
public:
    DataWorkload(const Options& options, SideLog& log) : log_(log), rng_(options.seed)
    {
        lane_.number = options.lane;
        OpenDatabase(connection_, QDir(options.exeDir).filePath(QStringLiteral("Dt/db.mdb")));
        SeedPeriodTables(connection_);
    }

    void step()
    {
        const quint32 pick = rng_.bounded(100);
        if (pick < 30)
            addItem();
        else if (pick < 50)
            editItem(false);
        else if (pick < 60)
            editItem(true);
        else if (pick < 72)
            deleteItem();
        else if (pick < 82)
            modifyGoal();
        else if (pick < 95)
            changeScheme();
        else
            storeLauncher();
    }

private:
    void addItem()
    {
        const auto [goalTable, key] = lane_.goal(rng_.generate());
        const int goalId = FindGoalId(connection_, goalTable, key).value_or(-1);
        const QString content = SampleText(rng_.generate());
        const qint64 seq =
            log_.begin({false, ItemTableOf(goalTable), -1, {Value(goalId), Value(content), Value(), Value(0)}});
        log_.done(seq, AppendWorkItem(connection_, goalTable, goalId, content));
    }

    // One item of a random goal of the lane, with its goal; false when that goal has none.
    bool pickItem(Table* goalTable, int* goalId, WorkItem* item)
    {
        const auto [table, key] = lane_.goal(rng_.generate());
        const int id = FindGoalId(connection_, table, key).value_or(-1);
        const std::vector<WorkItem> items = ListWorkItems(connection_, table, id);
        if (items.empty())
            return false;
        *goalTable = table;
        *goalId = id;
        *item = items[rng_.bounded(static_cast<quint32>(items.size()))];
        return true;
    }

    // Dialog 135 stores all three fields; doneOnly keeps the texts as they were.
    void editItem(bool doneOnly)
    {
        Table goalTable = Table::Ri;
        int goalId = -1;
        WorkItem item;
        if (!pickItem(&goalTable, &goalId, &item))
            return addItem();
        if (!doneOnly) {
            item.content = SampleText(rng_.generate());
            item.note = SampleText(rng_.generate());
        }
        item.done = rng_.bounded(2) == 1;
        const qint64 seq =
            log_.begin({false,
                        ItemTableOf(goalTable),
                        item.id,
                        {Value(goalId), Value(item.content), Value(item.note), Value(item.done ? 1 : 0)}});
        if (!ChangeWorkItem(connection_, goalTable, item.id, item.content, item.note, item.done))
            Die(QStringLiteral("item %1 missing").arg(item.id));
        log_.done(seq, item.id);
    }

    void deleteItem()
    {
        Table goalTable = Table::Ri;
        int goalId = -1;
        WorkItem item;
        if (!pickItem(&goalTable, &goalId, &item))
            return addItem();
        const qint64 seq = log_.begin({true, ItemTableOf(goalTable), item.id, {}});
        RemoveWorkItem(connection_, goalTable, item.id);
        log_.done(seq, item.id);
    }

    void modifyGoal()
    {
        const auto [goalTable, key] = lane_.goal(rng_.generate());
        const QString text = SampleText(rng_.generate());
        const int id = FindGoalId(connection_, goalTable, key).value_or(-1);
        const qint64 seq = log_.begin({false, goalTable, id, {Value(key), Value(text)}});
        if (!StoreGoalText(connection_, goalTable, key, text))
            Die(QStringLiteral("goal %1 missing").arg(key));
        log_.done(seq, id);
    }

    void changeScheme()
    {
        const auto mine = LaneSchemes(connection_, lane_);
        const quint32 pick = rng_.bounded(3);
        if (mine.empty() || pick == 0) {
            const SchemeFields s = RandomScheme(rng_, lane_);
            const qint64 seq = log_.begin({false, Table::Tx, -1, s.row()});
            log_.done(seq, AppendScheme(connection_, s.scheme()));
            return;
        }
        const int id = mine[rng_.bounded(static_cast<quint32>(mine.size()))].id;
        if (pick == 1) {
            const qint64 seq = log_.begin({true, Table::Tx, id, {}});
            RemoveScheme(connection_, id);
            log_.done(seq, id);
            return;
        }
        const SchemeFields s = RandomScheme(rng_, lane_);
        const qint64 seq = log_.begin({false, Table::Tx, id, s.row()});
        if (!ChangeScheme(connection_, id, s.scheme()))
            Die(QStringLiteral("scheme %1 missing").arg(id));
        log_.done(seq, id);
    }

    void storeLauncher()
    {
        const int button = lane_.firstButton() + static_cast<int>(rng_.bounded(9));
        const LauncherRow row{SampleText(rng_.generate()).left(20),
                              QStringLiteral("/tmp/") + SampleText(rng_.generate())};
        const qint64 seq = log_.begin({false, Table::An, button, {Value(row.name), Value(row.path)}});
        if (!StoreLauncherRow(connection_, button, row))
            Die(QStringLiteral("launcher row %1 missing").arg(button));
        log_.done(seq, button);
    }

    SideLog& log_;
    QRandomGenerator rng_;
    Lane lane_;
    ConnectionHolder connection_;
};

// Each step stores a new generation into the goal of 2018 and backs the file
// up into Dt/backup, dated a day after the last so the retention removes copies
// as it runs; every third step restores one of the older copies. Standard
// output: "restore <copy> <generation before>" before a restore, "restored"
// after it. Days and generations of two seeds never meet.
class BackupWorkload {
public:
    BackupWorkload(const Options& options, SideLog&)
        : rng_(options.seed), seed_(options.seed),
          start_(QDate(2018, 1, 1).addDays(1000 * static_cast<qint64>(options.seed)), QTime(9, 0))
    {
        OpenDatabase(connection_, QDir(options.exeDir).filePath(QStringLiteral("Dt/db.mdb")));
        SeedPeriodTables(connection_);
        folder_ = DefaultBackupFolder(connection_.path());
    }

    void step()
    {
        ++step_;
        const QDateTime now = start_.addDays(step_);
        const QString generation = QString::number(1000 * seed_ + static_cast<quint32>(step_));
        StoreGoalText(connection_, Table::Nian, QStringLiteral("2018"), generation);
        if (const BackupResult made = MakeBackup(connection_, folder_, now); !made.ok)
            Die(QStringLiteral("backup failed: ") + made.reason);
        if (step_ % 3 != 0)
            return;
        const QList<BackupInfo> copies = ListBackups(folder_);
        const BackupInfo& chosen =
            copies[1 + rng_.bounded(static_cast<quint32>(std::min<qsizetype>(copies.size() - 1, 7)))];
        std::printf("restore %s %s\n", qPrintable(chosen.path), qPrintable(generation));
        std::fflush(stdout);
        if (const RestoreResult restored = RestoreBackup(connection_, chosen.path, folder_, now.addSecs(1));
            !restored.ok)
            Die(QStringLiteral("restore failed: ") + restored.reason);
        std::printf("restored\n");
        std::fflush(stdout);
    }

private:
    QRandomGenerator rng_;
    quint32 seed_;
    QDateTime start_;
    int step_ = 0;
    QString folder_;
    ConnectionHolder connection_;
};

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const Options options = ParseOptions(args);
    return options.workload == u"backups" ? RunWorkload<BackupWorkload>(options) : RunWorkload<DataWorkload>(options);
}
