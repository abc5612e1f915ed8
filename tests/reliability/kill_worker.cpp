// The kill worker on the record-access layer alone: the changes the program's
// operations make (items added, changed, completed and deleted; goals; reminder
// schemes; launcher rows), sent as those operations send them. It starts in a
// few milliseconds, so many changes fall between two kills. See worker_common.h.

#include "worker_common.h"

#include "data/keys.h"
#include "data/seed.h"
#include "launcher/launcher_table.h"

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
        const int goalId = GoalId(connection_, goalTable, key);
        const Table table = ItemTableOf(goalTable);
        const QString content = SampleText(rng_.generate());
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ForAppending(table), connection_);
        AddNewRow(rs);
        SetFieldValue(rs, QStringLiteral("ShangId"), Value(goalId));
        SetFieldValue(rs, QStringLiteral("nr"), Value(content));
        const qint64 id = GetFieldValue(rs, QStringLiteral("IDME")).toInteger();
        const qint64 seq = log_.begin({false, table, id, ReadRow(rs, table)});
        StoreRow(rs);
        log_.done(seq, id);
    }

    // Picks one item of a random goal of the lane; false when that goal has none.
    bool pickItem(Table* table, qint64* id)
    {
        const auto [goalTable, key] = lane_.goal(rng_.generate());
        const auto items = Rows(connection_, stmt::ItemsOfGoal(goalTable, GoalId(connection_, goalTable, key)));
        if (items.empty())
            return false;
        *table = ItemTableOf(goalTable);
        *id = items[rng_.bounded(static_cast<quint32>(items.size()))].first;
        return true;
    }

    void editItem(bool doneOnly)
    {
        Table table = Table::RiNext;
        qint64 id = 0;
        if (!pickItem(&table, &id))
            return addItem();
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::ItemById(table, static_cast<int>(id)), connection_);
        if (!doneOnly) {
            SetFieldValue(rs, QStringLiteral("nr"), Value(SampleText(rng_.generate())));
            SetFieldValue(rs, QStringLiteral("wcqk"), Value(SampleText(rng_.generate())));
        }
        SetFieldValue(rs, QStringLiteral("IsOk"), Value(static_cast<int>(rng_.bounded(2))));
        const qint64 seq = log_.begin({false, table, id, ReadRow(rs, table)});
        StoreRow(rs);
        log_.done(seq, id);
    }

    void deleteItem()
    {
        Table table = Table::RiNext;
        qint64 id = 0;
        if (!pickItem(&table, &id))
            return addItem();
        const qint64 seq = log_.begin({true, table, id, {}});
        ExecuteStatement(connection_, stmt::DeleteItem(table, static_cast<int>(id)));
        log_.done(seq, id);
    }

    void modifyGoal()
    {
        const auto [goalTable, key] = lane_.goal(rng_.generate());
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::GoalByKey(goalTable, key), connection_);
        SetFieldValue(rs, QStringLiteral("nr"), Value(SampleText(rng_.generate())));
        const qint64 id = GetFieldValue(rs, QStringLiteral("IDME")).toInteger();
        const qint64 seq = log_.begin({false, goalTable, id, ReadRow(rs, goalTable)});
        StoreRow(rs);
        log_.done(seq, id);
    }

    void changeScheme()
    {
        const auto mine = LaneSchemes(connection_, lane_);
        const quint32 pick = rng_.bounded(3);
        if (mine.empty() || pick == 0) {
            RecordsetHolder rs;
            OpenRecordset(rs, stmt::SelectSchemes(), connection_);
            AddNewRow(rs);
            const SchemeFields s = RandomScheme(rng_, lane_);
            for (int c = 0; c < 4; ++c)
                SetFieldValue(rs, Columns(Table::Tx)[c], s.row()[static_cast<std::size_t>(c)]);
            const qint64 id = GetFieldValue(rs, QStringLiteral("IDME")).toInteger();
            const qint64 seq = log_.begin({false, Table::Tx, id, s.row()});
            StoreRow(rs);
            log_.done(seq, id);
            return;
        }
        const qint64 id = mine[rng_.bounded(static_cast<quint32>(mine.size()))].first;
        if (pick == 1) {
            const qint64 seq = log_.begin({true, Table::Tx, id, {}});
            ExecuteStatement(connection_, stmt::DeleteScheme(static_cast<int>(id)));
            log_.done(seq, id);
            return;
        }
        RecordsetHolder rs;
        OpenRecordset(rs, stmt::SchemeById(static_cast<int>(id)), connection_);
        const SchemeFields s = RandomScheme(rng_, lane_);
        for (int c = 0; c < 4; ++c)
            SetFieldValue(rs, Columns(Table::Tx)[c], s.row()[static_cast<std::size_t>(c)]);
        const qint64 seq = log_.begin({false, Table::Tx, id, s.row()});
        StoreRow(rs);
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

} // namespace

int main(int argc, char* argv[])
{
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return RunWorkload<DataWorkload>(ParseOptions(args));
}
