#include "sync/change_apply.h"

#include "data/record_access.h"
#include "sync/change_capture.h"
#include "sync/changeset_reader.h"
#include "sync/sync_store.h"
#include "sync/synced_tables.h"

namespace jotrak {

namespace {

// One change as this computer reads it: the row named the same way everywhere.
struct Incoming {
    const SyncedTable* table = nullptr;
    ChangeEntry::Op op = ChangeEntry::Op::Insert;
    QString rowName;
    QString goalKey;
    // the fields the sender changed, as they were before (all of them for a delete)
    RowValues before;
    // the sender's row after the change (insert or update)
    RowValues after;
    // the stamp of each field (of the row itself under the empty name)
    std::map<QString, RowStamp> stamps;
};

bool Same(const Value& a, const Value& b)
{
    return TextFromValue(a) == TextFromValue(b);
}

// Nothing written: an empty text, or the 0 a new row has.
bool Blank(const Value& value)
{
    const QString text = TextFromValue(value);
    return text.isEmpty() || text == QStringLiteral("0");
}

// Whether their value is the newer. Of two values no change under sync ever
// stamped (both logs had them before they met), one written beats one blank.
bool Newer(const RowStamp& here, const Value& mine, const RowStamp& there, const Value& theirs)
{
    if (here.at <= 0 && there.at <= 0 && Blank(mine) != Blank(theirs))
        return Blank(mine);
    return here < there;
}

QString MergeTexts(const QString& winner, const QString& loser)
{
    if (loser.isEmpty() || winner == loser || winner.contains(loser))
        return winner;
    if (winner.isEmpty())
        return loser;
    return winner + u'\n' + SyncConflictLine() + u'\n' + loser;
}

std::optional<PeriodKind> KindOf(Table table)
{
    switch (table) {
    case Table::Nian:
    case Table::NianNext: return PeriodKind::Year;
    case Table::Yue:
    case Table::YueNext: return PeriodKind::Month;
    case Table::Ri:
    case Table::RiNext: return PeriodKind::Day;
    default: return std::nullopt;
    }
}

class Applier {
public:
    Applier(ConnectionHolder& connection, const ChangeFile& file, const QString& thisDevice)
        : connection_(connection), file_(file), unstamped_{0, thisDevice}
    {
    }

    std::optional<Incoming> read(const ChangeEntry& entry) const;
    void apply(const Incoming& change);
    ApplyOutcome outcome;

private:
    void noteChanged(const Incoming& change);
    void insert(const Incoming& change);

    RowStamp localStamp(Table table, const QString& rowName, const QString& field) const
    {
        return ReadStamp(connection_, table, StampKey(rowName, field)).value_or(unstamped_);
    }

    ConnectionHolder& connection_;
    const ChangeFile& file_;
    // what a row here that no change has stamped counts as
    RowStamp unstamped_;
};

std::optional<Incoming> Applier::read(const ChangeEntry& entry) const
{
    const SyncedTable* t = FindSyncedTable(entry.table);
    const auto columns = file_.columns.find(entry.table);
    if (!t || columns == file_.columns.end())
        return std::nullopt;
    const QStringList& names = columns->second;
    const auto valueOf = [&](const std::vector<std::optional<Value>>& values, const QString& column) {
        const qsizetype i = names.indexOf(column);
        return i >= 0 && i < static_cast<qsizetype>(values.size()) ? values[static_cast<std::size_t>(i)] : std::nullopt;
    };
    Incoming change;
    change.table = t;
    change.op = entry.op;
    const auto& identifying = entry.op == ChangeEntry::Op::Insert ? entry.after : entry.before;
    const qint64 id = valueOf(identifying, QStringLiteral("IDME")).value_or(Value()).toInteger();
    RowValues whole; // the sender's row after the change
    if (entry.op == ChangeEntry::Op::Insert) {
        for (int i = 0; i < names.size(); ++i)
            if (i < static_cast<int>(entry.after.size()) && entry.after[static_cast<std::size_t>(i)])
                whole[names[i]] = *entry.after[static_cast<std::size_t>(i)];
    } else if (entry.op == ChangeEntry::Op::Update) {
        const auto rows = file_.rows.find(entry.table);
        if (rows != file_.rows.end() && rows->second.count(id))
            whole = rows->second.at(id);
        for (int i = 0; i < names.size(); ++i)
            if (i < static_cast<int>(entry.after.size()) && entry.after[static_cast<std::size_t>(i)])
                whole[names[i]] = *entry.after[static_cast<std::size_t>(i)];
    }
    for (const QString& field : t->fields) {
        if (whole.count(field))
            change.after[field] = whole[field];
        if (const std::optional<Value> old = valueOf(entry.before, field);
            old && (entry.op == ChangeEntry::Op::Delete || valueOf(entry.after, field)))
            change.before[field] = *old;
    }
    const auto goalKeyOf = [&](Table goalTable, qint64 goalId) -> std::optional<QString> {
        const auto keys = file_.goalKeys.find(TableName(goalTable));
        if (keys == file_.goalKeys.end() || !keys->second.count(goalId))
            return std::nullopt;
        return keys->second.at(goalId);
    };
    switch (t->identity) {
    case SyncedTable::Identity::GoalKey: {
        const std::optional<Value> key = valueOf(identifying, QStringLiteral("ming"));
        const std::optional<QString> named = key ? std::optional<QString>(key->toText()) : goalKeyOf(t->table, id);
        if (!named)
            return std::nullopt;
        change.rowName = *named;
        break;
    }
    case SyncedTable::Identity::Number: change.rowName = QString::number(id); break;
    case SyncedTable::Identity::Uid: {
        const Value uid = entry.op == ChangeEntry::Op::Delete
                              ? valueOf(entry.before, QStringLiteral("uid")).value_or(Value())
                              : whole[QStringLiteral("uid")];
        change.rowName = uid.toText();
        if (change.rowName.isEmpty())
            return std::nullopt;
        if (t->goalTable && entry.op != ChangeEntry::Op::Delete) {
            const std::optional<QString> key = goalKeyOf(*t->goalTable, whole[QStringLiteral("ShangId")].toInteger());
            if (!key)
                return std::nullopt;
            change.goalKey = *key;
        }
        break;
    }
    }
    // a snapshot's rows nobody stamped are as old as can be, and its computer's
    const RowStamp otherwise =
        file_.kind == ChangeFile::Kind::Snapshot ? RowStamp{0, file_.device} : RowStamp{file_.time, file_.device};
    const auto stamps = file_.stamps.find(entry.table);
    QStringList stamped = t->fields;
    stamped << QString();
    for (const QString& field : stamped) {
        const QString key = StampKey(change.rowName, field);
        change.stamps[field] =
            stamps != file_.stamps.end() && stamps->second.count(key) ? stamps->second.at(key) : otherwise;
    }
    return change;
}

void Applier::noteChanged(const Incoming& change)
{
    const Table table = change.table->table;
    if (table == Table::Tx)
        outcome.changes.schemes = true;
    else if (table == Table::An)
        outcome.changes.launcher = true;
    else if (const std::optional<PeriodKind> kind = KindOf(table); kind && change.table->goalTable)
        outcome.changes.itemKinds.insert(*kind);
    else if (kind)
        outcome.changes.goals.insert({*kind, change.rowName});
}

void Applier::insert(const Incoming& change)
{
    const Table table = change.table->table;
    if (change.table->identity == SyncedTable::Identity::GoalKey) {
        const qint64 id = EnsureGoal(connection_, table, change.rowName);
        UpdateRow(connection_, table, id, change.after);
    } else if (change.table->identity == SyncedTable::Identity::Number) {
        return; // the launcher's eighteen rows are on every computer
    } else {
        RowValues values = change.after;
        values[QStringLiteral("uid")] = Value(change.rowName);
        if (change.table->goalTable)
            values[QStringLiteral("ShangId")] =
                Value(EnsureGoal(connection_, *change.table->goalTable, change.goalKey));
        InsertRow(connection_, table, values);
    }
    noteChanged(change);
}

void Applier::apply(const Incoming& change)
{
    const Table table = change.table->table;
    const std::optional<LocalRow> local = RowByName(connection_, table, change.rowName);
    const auto stampNewest = [&](const QString& field, const RowStamp& mine) {
        const RowStamp& theirs = change.stamps.at(field);
        if (mine < theirs)
            WriteStamp(connection_, table, StampKey(change.rowName, field), theirs);
    };
    if (change.op == ChangeEntry::Op::Delete) {
        if (!local)
            return;
        for (const auto& [field, old] : change.before)
            if (!Same(local->values.at(field), old))
                return; // changed here meanwhile: the change wins over the delete
        DeleteRow(connection_, table, local->id);
        stampNewest(QString(), localStamp(table, change.rowName, QString()));
        noteChanged(change);
        return;
    }
    if (!local) { // new here, or deleted here while changed there: the change wins
        insert(change);
        for (const auto& [field, stamp] : change.stamps)
            stampNewest(field, unstamped_);
        return;
    }
    RowValues set;
    for (const auto& [field, theirs] : change.after) {
        const auto mine = local->values.find(field);
        if (mine == local->values.end())
            continue;
        const auto old = change.before.find(field);
        if (change.op == ChangeEntry::Op::Update && old == change.before.end())
            continue; // not changed there: what is here stands
        const RowStamp here = localStamp(table, change.rowName, field);
        stampNewest(field, here);
        if (Same(mine->second, theirs))
            continue;
        // the sender changed a value other than the one here: both are changes of their own
        const bool atOnce = change.op != ChangeEntry::Op::Update || !Same(mine->second, old->second);
        const bool theirsNewer = Newer(here, mine->second, change.stamps.at(field), theirs);
        const Value& winner = theirsNewer ? theirs : mine->second;
        Value value = winner;
        if (atOnce && change.table->mergedTexts.contains(field)) {
            const QString loser = (theirsNewer ? mine->second : theirs).toText();
            const QString merged = MergeTexts(winner.toText(), loser);
            if (!winner.toText().isEmpty() && !loser.isEmpty() && merged != winner.toText())
                ++outcome.conflicts;
            value = Value(merged);
        }
        if (!Same(value, mine->second))
            set[field] = value;
    }
    if (!set.empty()) {
        UpdateRow(connection_, table, local->id, set);
        noteChanged(change);
    }
}

} // namespace

QString SyncConflictLine()
{
    return QString::fromUtf8("——— 同步时另一台电脑也改了这里,它的内容 ———");
}

ApplyOutcome ApplyChangeFile(ConnectionHolder& connection, const ChangeFile& file, const QString& thisDevice)
{
    Transaction transaction(connection);
    Applier applier(connection, file, thisDevice);
    std::vector<Incoming> changes;
    QString problem;
    if (!ReadChangeset(
            file.changeset,
            [&](const ChangeEntry& entry) {
                if (std::optional<Incoming> change = applier.read(entry))
                    changes.push_back(std::move(*change));
            },
            &problem))
        throw DatabaseError(kNotJotrakFileError, QString::fromUtf8("同步文件里的修改无法读取。"), problem);
    for (const Incoming& change : changes)
        applier.apply(change);
    const std::map<QString, qint64> applied = ReadApplied(connection);
    const auto raise = [&](const QString& device, qint64 seq) {
        const auto current = applied.find(device);
        if (current == applied.end() || current->second < seq)
            WriteApplied(connection, device, seq);
    };
    if (file.kind == ChangeFile::Kind::Snapshot)
        for (const auto& [device, seq] : file.seen)
            raise(device, seq);
    raise(file.device, file.seq);
    transaction.commit();
    return applier.outcome;
}

} // namespace jotrak
