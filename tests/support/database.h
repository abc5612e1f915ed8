#pragma once

#include "data/record_access.h"
#include "data/goal_store.h"
#include "data/item_store.h"
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

// -1: no such row; "<no row>" for GoalText.
int GoalId(ConnectionHolder& c, Table goalTable, const QString& key);
int SetGoal(ConnectionHolder& c, Table goalTable, const QString& key, const QString& text);
QString GoalText(ConnectionHolder& c, Table goalTable, const QString& key);
int AddItem(ConnectionHolder& c, Table goalTable, int goalId, const QString& content, const QString& note = {},
            bool done = false);
std::vector<WorkItem> Items(ConnectionHolder& c, Table goalTable, const QString& key);
// Appends a scheme written "G0221=content" (Gregorian) or "L05=content" (lunar); returns its IDME.
int AddScheme(ConnectionHolder& c, const QString& written, const QString& name = QStringLiteral("scheme"));

int CountRows(ConnectionHolder& c, Table table);
// The first column of each row a statement gives, with the engine alone.
QStringList FirstColumn(sqlite3* db, const QByteArray& sql);
int FileVersion(ConnectionHolder& c);
// What a log file holds but its id: its version, its schema and every row of
// every table, as text, with the engine alone.
QStringList LogContents(const QString& path);
QString IntegrityCheck(ConnectionHolder& c);
// Empty when the search index passes its check and holds exactly the goal and item texts, and
// each character and pair of characters of them, and of what the short-word index holds, finds
// exactly the texts that hold it there.
QString SearchIndexProblem(ConnectionHolder& c);
// Runs statements on a file with the engine alone, as another program would.
void RunSql(const QString& path, const char* sql);
// As the program made files before the index of short words (and what came after it).
void DropToVersion2(const QString& path);
// As the program made files before the search index and everything after it.
void DropToVersion1(const QString& path);
// Copies a file over to and makes the copy as the program made files of version 1 or 2; returns to.
QString CopyAsVersion(const QString& from, const QString& to, int version);

} // namespace jotrak::test
