#pragma once

#include "data/keys.h"
#include "data/statements.h"

#include <QString>
#include <QStringList>

#include <functional>

struct sqlite3;

namespace jotrak {

class ConnectionHolder;

// The search index: table Sou holds every non-empty goal text, work content
// (nr) and completion note (wcqk) once more, under a number `ord` that orders
// them newest first when read downwards: by key (2037 after its months, a
// month after its days), then the goal text before its items, then the newest
// item first, its content before its note. The FTS5 table SouFts indexes Sou
// with the trigram tokenizer; triggers on the six goal and item tables keep
// both in step with every change, whoever makes it.

// Where an index row's text comes from, read back from its ord.
struct IndexedText {
    PeriodKind kind = PeriodKind::Day;
    bool goal = false; // a goal text; else an item's content or note
    bool note = false; // an item's completion note
    int id = 0;        // IDME in the goal or item table
};
IndexedText DecodeOrd(qint64 ord);

// The statements that make the index in a file that holds the eight tables;
// filling it from the rows already there is the last.
QStringList SearchIndexSchema();

// What a search is narrowed to besides its words. A year or month counts when
// it overlaps the range. The state of an item (done or not) narrows the items
// only: a goal text has none.
struct SearchFilter {
    int from = 0;         // first day as yyyymmdd; 0: no first day
    int to = 0;           // last day as yyyymmdd; 0: no last day
    bool years = true;    // 年
    bool months = true;   // 月
    bool days = true;     // 日
    bool done = true;     // 完成
    bool open = true;     // 未完成
    bool goals = true;    // found in 目标
    bool contents = true; // in 工作内容
    bool notes = true;    // in 完成情况
};

// Which parts of the search index a file holds.
struct SearchIndexState {
    bool trigrams = false; // Sou and SouFts (version 2)
    bool grams = false;    // SouGram and SouQueue (version 3, search_grams.h)
    bool queued = false;   // texts changed since SouGram was last brought up to date
};
SearchIndexState ReadSearchIndexState(ConnectionHolder& connection);

// Makes change, a change of many rows (the seeding, a bulk load), with the
// index and its triggers gone, which row by row would cost more than the
// change itself, then builds the index afresh from the tables; all in one
// transaction. A file without the index (version 1) gets the change alone.
void RebuildSearchIndex(ConnectionHolder& connection, const std::function<void()>& change);

// Adds to a connection what the search statements call: jotrak_holds(text,
// word), true when text holds word (given folded), Latin letters of either case
// alike; jotrak_grams(text), the short-word index's tokens (search_grams.h).
void AddSearchFunctions(sqlite3* db);

// Latin letters A-Z as a-z, everything else as it is: the one case rule of the
// search.
QString FoldLatinCase(const QString& text);

namespace stmt {

// (ord, text) of every index row below ord `below` whose text holds every word
// (Latin letters of either case) and that the filter lets through, newest first. A word of three characters or
// more is looked up through the trigrams, a query of shorter words through
// SouGram (and the queued texts); without the index the six tables themselves
// are read and sorted.
Statement SearchTexts(const QStringList& words, const SearchFilter& filter, const SearchIndexState& index,
                      qint64 below);
// The number of goals and items among those rows (an item found in both its
// content and its note counts once).
Statement CountSearchTexts(const QStringList& words, const SearchFilter& filter, const SearchIndexState& index,
                           qint64 below);

} // namespace stmt
} // namespace jotrak
