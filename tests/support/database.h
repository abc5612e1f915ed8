#pragma once

// A Jotrak database in a temporary folder, and the rows tests put in and read
// back, through the program's own stores.

#include "data/record_access.h"
#include "goals/goal_store.h"
#include "goals/item_store.h"
#include "reminders/scheme_store.h"

#include <QTemporaryDir>

namespace jotrak::test {

// <temp>/Dt/db.mdb, open; with the period tables of 2018 to 2037 when seeded.
struct TempDb {
    explicit TempDb(bool seeded = false);
    QString path() const { return dir.filePath(QStringLiteral("Dt/db.mdb")); }
    QTemporaryDir dir;
    ConnectionHolder connection;
};

// IDME of the goal of key, -1 when there is none.
int GoalId(ConnectionHolder& c, Table goalTable, const QString& key);
// Stores text as the goal of key; returns its IDME, or -1 (nothing stored) when the table lacks key.
int SetGoal(ConnectionHolder& c, Table goalTable, const QString& key, const QString& text);
// The goal text of key; "<no row>" when there is none.
QString GoalText(ConnectionHolder& c, Table goalTable, const QString& key);
// Appends an item under a goal; returns its IDME.
int AddItem(ConnectionHolder& c, Table goalTable, int goalId, const QString& content, const QString& note = {},
            bool done = false);
// The items of the goal of key.
std::vector<WorkItem> Items(ConnectionHolder& c, Table goalTable, const QString& key);
// Appends a scheme written "G0221=content" (Gregorian) or "L05=content" (lunar); returns its IDME.
int AddScheme(ConnectionHolder& c, const QString& written, const QString& name = QStringLiteral("scheme"));

int CountRows(ConnectionHolder& c, Table table);
// PRAGMA user_version: the version of the file's layout.
int FileVersion(ConnectionHolder& c);
// PRAGMA integrity_check: "ok" for a sound file.
QString IntegrityCheck(ConnectionHolder& c);
// Empty when the search index holds exactly the goal texts and the texts of the
// items under a goal, and passes its own integrity check; else what is wrong.
QString SearchIndexProblem(ConnectionHolder& c);
// Runs statements on a file with the engine alone, as another program would.
void RunSql(const QString& path, const char* sql);
// Makes a file of version 1 of the one at path, as the program made them
// before the search index: the index, its triggers and the version go.
void DropToVersion1(const QString& path);

} // namespace jotrak::test
