#include "sync/sync_round.h"

#include "data/database_error.h"
#include "data/record_access.h"
#include "data/search_index.h"
#include "sync/change_apply.h"
#include "sync/snapshot.h"
#include "sync/sync_folder.h"
#include "sync/sync_store.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <numeric>
#include <optional>
#include <set>

namespace jotrak {

namespace {

constexpr qint64 kLongestCommitWaitMs = 200;

ChangeFileReading ReadSyncFile(const QString& path)
{
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return {std::nullopt, QString::fromUtf8("无法读取: %1").arg(in.errorString()), false};
    return DecodeChangeFile(in.readAll());
}

qint64 LastOwnNumber(const SyncFolderListing& listing, const QString& device)
{
    qint64 last = 0;
    for (const auto* files : {&listing.changes, &listing.snapshots})
        if (const auto it = files->find(device); it != files->end() && !it->second.empty())
            last = std::max(last, it->second.rbegin()->first);
    return last;
}

class Round {
public:
    Round(ConnectionHolder& connection, const QString& folder, const SyncDevice& device, int snapshotEvery)
        : connection_(connection), folder_(folder), device_(device), listing_(ListSyncFolder(folder)),
          snapshotEvery_(snapshotEvery)
    {
    }

    void run();
    SyncRoundReport report;

private:
    void publishWhatIsHere();
    void startFromSnapshot();
    void writeOutbox();
    void applyAll();
    void tidy();
    bool applyNext(const QString& device);
    bool apply(const QString& path, const QString& device);
    // Writes a file of this computer's into the folder; false, the problem noted, when it cannot.
    bool send(const ChangeFile& file);
    void commitApplied();
    QString shown(const QString& path) const { return QDir(folder_).relativeFilePath(path); }

    ConnectionHolder& connection_;
    QString folder_;
    SyncDevice device_;
    SyncFolderListing listing_;
    std::map<QString, qint64> applied_;
    std::set<QString> blocked_;
    int snapshotEvery_;
    // Files applied one after another share a commit (each file still all or
    // nothing within it): a commit costs more than a day's file. Committed
    // after a while, so the log's own changes never wait long for the file.
    std::optional<Transaction> applying_;
    QElapsedTimer applyingFor_;
};

void Round::run()
{
    applied_ = ReadApplied(connection_);
    if (!applied_.count(device_.id))
        publishWhatIsHere();
    startFromSnapshot();
    writeOutbox();
    applyAll();
    tidy();
    if (!listing_.copies.isEmpty())
        report.problems << QString::fromUtf8("跳过了 %1 个同步软件留下的副本或冲突文件(如 %2),它们不会被应用")
                               .arg(listing_.copies.size())
                               .arg(listing_.copies.front());
}

void Round::publishWhatIsHere()
{
    const qint64 seq = LastOwnNumber(listing_, device_.id) + 1;
    if (!LogHasContent(connection_)) {
        WriteApplied(connection_, device_.id, seq - 1);
        applied_[device_.id] = seq - 1;
        return;
    }
    qint64 covered = 0;
    if (!send(MakeSnapshot(connection_, device_, seq, &covered)))
        return;
    ++report.sent;
    Transaction transaction(connection_); // the changes the snapshot holds need not go again
    RemoveFromOutboxUpTo(connection_, covered);
    WriteApplied(connection_, device_.id, seq);
    transaction.commit();
    applied_[device_.id] = seq;
}

void Round::startFromSnapshot()
{
    const bool fresh = applied_.size() == 1 && applied_.begin()->second == LastOwnNumber(listing_, device_.id) &&
                       ReadOutbox(connection_).empty() && !LogHasContent(connection_);
    if (!fresh)
        return;
    // the snapshot that holds the most files
    QString newest;
    qint64 most = -1;
    for (const auto& [device, snapshots] : listing_.snapshots) {
        if (device == device_.id || snapshots.empty())
            continue;
        const ChangeFileReading reading = ReadSyncFile(snapshots.rbegin()->second);
        if (!reading.file)
            continue;
        const qint64 files = std::accumulate(reading.file->seen.begin(), reading.file->seen.end(), qint64{0},
                                             [](qint64 sum, const auto& entry) { return sum + entry.second; });
        if (files > most) {
            most = files;
            newest = snapshots.rbegin()->second;
        }
    }
    if (newest.isEmpty())
        return;
    // the whole log at once: the search index is made after it, not row by row
    RebuildSearchIndex(connection_, [&] {
        apply(newest, QString());
        commitApplied();
    });
}

void Round::writeOutbox()
{
    for (const OutboxEntry& entry : ReadOutbox(connection_)) {
        ChangeFileReading reading = DecodeChangeFile(entry.body);
        if (!reading.file) { // cannot happen short of a damaged file: never block the rest
            RemoveFromOutbox(connection_, entry.id);
            continue;
        }
        ChangeFile& file = *reading.file;
        // a data folder copied with changes waiting sends them as the computer it is now on
        file.device = device_.id;
        file.deviceName = device_.name;
        // written before a kill that left it in the outbox: the last file holds it
        const auto& own = listing_.changes[device_.id];
        const bool written = !own.empty() && [&] {
            const ChangeFileReading last = ReadSyncFile(own.rbegin()->second);
            return last.file && last.file->captureId == file.captureId;
        }();
        const qint64 seq = written ? own.rbegin()->first : LastOwnNumber(listing_, device_.id) + 1;
        if (!written) {
            file.seq = seq;
            if (!send(file))
                return;
            ++report.sent;
        }
        Transaction transaction(connection_);
        RemoveFromOutbox(connection_, entry.id);
        if (applied_[device_.id] == seq - 1) {
            WriteApplied(connection_, device_.id, seq);
            applied_[device_.id] = seq;
        }
        transaction.commit();
    }
}

bool Round::send(const ChangeFile& file)
{
    if (const QString problem = WriteSyncFile(folder_, file); !problem.isEmpty()) {
        report.problems << problem;
        return false;
    }
    auto& files = file.kind == ChangeFile::Kind::Snapshot ? listing_.snapshots : listing_.changes;
    files[file.device][file.seq] = SyncFilePath(folder_, file.device, file.seq, file.kind);
    return true;
}

void Round::applyAll()
{
    std::set<QString> devices;
    for (const auto* files : {&listing_.changes, &listing_.snapshots})
        for (const auto& [device, numbered] : *files)
            devices.insert(device);
    for (bool progress = true; progress;) {
        progress = false;
        for (const QString& device : devices)
            while (!blocked_.count(device) && applyNext(device))
                progress = true;
    }
    commitApplied();
}

void Round::commitApplied()
{
    if (!applying_)
        return;
    applying_->commit();
    applying_.reset();
}

// Applies the next file of a computer when it is there and every change it was
// made after is here; its change file, or when that is gone, its newest snapshot.
bool Round::applyNext(const QString& device)
{
    const qint64 next = applied_.count(device) ? applied_[device] + 1 : 1;
    const auto changes = listing_.changes.find(device);
    if (changes != listing_.changes.end() && changes->second.count(next))
        return apply(changes->second.at(next), device);
    const auto snapshots = listing_.snapshots.find(device);
    if (snapshots == listing_.snapshots.end() || snapshots->second.empty() || snapshots->second.rbegin()->first < next)
        return false;
    return apply(snapshots->second.rbegin()->second, device);
}

bool Round::apply(const QString& path, const QString& device)
{
    ChangeFileReading reading = ReadSyncFile(path);
    if (!reading.file) {
        report.problems << QString::fromUtf8("同步文件 %1 暂不应用: %2").arg(shown(path), reading.problem);
        blocked_.insert(device);
        return false;
    }
    const ChangeFile& file = *reading.file;
    if (file.kind == ChangeFile::Kind::Changes)
        for (const auto& [other, seq] : file.seen)
            if (other != device && (applied_.count(other) ? applied_[other] : 0) < seq)
                return false; // made after a change that has not arrived yet
    if (!applying_) {
        applying_.emplace(connection_);
        applyingFor_.start();
    }
    try {
        const ApplyOutcome outcome = ApplyChangeFile(connection_, file, device_.id);
        report.changes.add(outcome.changes);
        report.conflicts += outcome.conflicts;
        ++report.received;
    } catch (const DatabaseError& error) {
        report.problems << QString::fromUtf8("同步文件 %1 无法应用: %2").arg(shown(path), error.message());
        blocked_.insert(device);
        commitApplied();
        return false;
    }
    applied_ = ReadApplied(connection_);
    if (applyingFor_.elapsed() >= kLongestCommitWaitMs)
        commitApplied();
    return true;
}

} // namespace

void Round::tidy()
{
    if (const QString problem = WriteSeenFile(folder_, device_.id, applied_); !problem.isEmpty())
        report.problems << problem;
    auto& changes = listing_.changes[device_.id];
    auto& snapshots = listing_.snapshots[device_.id];
    const qint64 last = applied_.count(device_.id) ? applied_[device_.id] : 0;
    const qint64 covered = snapshots.empty() ? 0 : snapshots.rbegin()->first;
    if (last - covered >= snapshotEvery_ && !changes.empty() && changes.rbegin()->first == last) {
        qint64 outbox = 0;
        if (!send(MakeSnapshot(connection_, device_, last, &outbox)))
            return;
    }
    // held by the newest snapshot, and by every other computer (as it last told)
    qint64 held = snapshots.empty() ? 0 : snapshots.rbegin()->first;
    const auto seen = ReadSeenFiles(folder_);
    std::set<QString> others;
    for (const auto* files : {&listing_.changes, &listing_.snapshots})
        for (const auto& [device, numbered] : *files)
            others.insert(device);
    for (const auto& [device, holds] : seen)
        others.insert(device);
    others.erase(device_.id);
    for (const QString& device : others) {
        const auto there = seen.find(device);
        held = std::min(held, there == seen.end() || !there->second.count(device_.id) ? qint64{0}
                                                                                      : there->second.at(device_.id));
    }
    for (auto* files : {&changes, &snapshots})
        for (auto it = files->begin(); it != files->end() && it->first <= held;) {
            if (files == &snapshots && it->first == held)
                break; // the newest, which a new computer starts from
            QFile::remove(it->second);
            it = files->erase(it);
        }
}

void JoinSyncFolder(ConnectionHolder& connection, const QString& folder, const SyncDevice& device)
{
    if (ReadApplied(connection).count(device.id) || LogHasContent(connection))
        return;
    WriteApplied(connection, device.id, LastOwnNumber(ListSyncFolder(folder), device.id));
}

void LeaveSyncFolder(ConnectionHolder& connection, const SyncDevice& device)
{
    ForgetApplied(connection, device.id);
}

SyncRoundReport RunSyncRound(ConnectionHolder& connection, const QString& folder, const SyncDevice& device,
                             int snapshotEvery)
{
    Round round(connection, folder, device, snapshotEvery);
    try {
        round.run();
    } catch (const DatabaseError& error) {
        round.report.problems << error.message();
    }
    return round.report;
}

} // namespace jotrak
