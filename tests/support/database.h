#pragma once

// A Jotrak database in a temporary folder, and the rows tests put in and read back.

#include "data/record_access.h"

#include <QList>
#include <QTemporaryDir>

namespace jotrak::test {

// <temp>/Dt/db.mdb, open; with the period tables of 2018 to 2037 when seeded.
struct TempDb {
    explicit TempDb(bool seeded = false);
    QString path() const { return dir.filePath(QStringLiteral("Dt/db.mdb")); }
    QTemporaryDir dir;
    ConnectionHolder connection;
};

// Appends a goal row; returns its IDME.
int AddGoal(ConnectionHolder& c, Table goalTable, const QString& key, const Value& text = Value::Null());
// Stores text as the goal of an existing key; false when there is no such row.
bool SetGoal(ConnectionHolder& c, Table goalTable, const QString& key, const Value& text);
// The goal text of key; the text "<no row>" when there is none.
Value GoalText(ConnectionHolder& c, Table goalTable, const QString& key);
// IDME of the goal of key, -1 when there is none.
int GoalId(ConnectionHolder& c, Table goalTable, const QString& key);
// Appends an item under a goal of goalTable; returns its IDME.
int AddItem(ConnectionHolder& c, Table goalTable, int goalId, const Value& content, const Value& note = Value::Null(),
            int done = 0);
// Appends a reminder scheme; returns its IDME.
int AddScheme(ConnectionHolder& c, const Value& rule, qint64 lifa, const Value& content,
              const Value& name = QStringLiteral("scheme"));
// The same written "G0221=content" (Gregorian) or "L05=content" (lunar).
int AddScheme(ConnectionHolder& c, const QString& written, const QString& name = QStringLiteral("scheme"));

struct Item {
    int id = 0;
    int goalId = 0;
    Value content, note;
    qint64 done = 0;
};
QList<Item> Items(ConnectionHolder& c, Table itemTable);

struct Scheme {
    int id = 0;
    QString name, content, rule;
    qint64 lifa = 0;
};
QList<Scheme> Schemes(ConnectionHolder& c);

int CountRows(ConnectionHolder& c, Table table);
// PRAGMA integrity_check: "ok" for a sound file.
QString IntegrityCheck(ConnectionHolder& c);
// Runs statements on a file with the engine alone, as another program would.
void RunSql(const QString& path, const char* sql);

} // namespace jotrak::test
