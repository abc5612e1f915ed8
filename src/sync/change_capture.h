#pragma once

#include "data/record_access.h"
#include "sync/change_file.h"

#include <QString>

#include <functional>

struct sqlite3_session;

namespace jotrak {

// Who this computer is to the sync folder.
struct SyncDevice {
    QString id;
    QString name;
};

// Records, with SQLite's session extension, every change a connection makes to
// the synced tables. Just before each commit the changes go into the outbox
// (table SyncOutbox) in the same transaction, with what another computer needs
// to read them; the row stamps are written there too. A kill at any moment
// leaves the change and its outbox entry both kept or both lost.
class ChangeCapture : public CommitObserver {
public:
    // committed is called after a commit that put something into the outbox;
    // on the thread that committed.
    ChangeCapture(ConnectionHolder& connection, SyncDevice device, std::function<void()> committed);
    ~ChangeCapture() override;
    ChangeCapture(const ChangeCapture&) = delete;
    ChangeCapture& operator=(const ChangeCapture&) = delete;

    void beforeCommit(ConnectionHolder& connection) override;
    void afterCommit() noexcept override;
    void afterRollback() noexcept override;

private:
    void restart();

    sqlite3* db_;
    sqlite3_session* session_ = nullptr;
    SyncDevice device_;
    std::function<void()> committed_;
    // read once: the layout does not change while the file is open
    std::map<QString, QStringList> columns_;
    bool captured_ = false;
};

// The stamp of one field of a row is kept under "<row name>/<field>"; that of
// the row itself (its deletion) under "<row name>/".
QString StampKey(const QString& rowName, const QString& field);

// Each synced table's column names, in the order a changeset holds its values.
std::map<QString, QStringList> SyncedColumns(ConnectionHolder& connection);

// Fills in what another computer needs besides the changeset itself (the
// column names already in file.columns): the keys of the goals named and the whole rows updated. The
// stamp keys of what changed go to *changed (table -> keys) when given.
void DescribeChangeset(ConnectionHolder& connection, ChangeFile& file,
                       std::map<QString, QStringList>* changed = nullptr);

// A new random id of 128 bits as 32 hex digits.
QString NewRandomId();

} // namespace jotrak
