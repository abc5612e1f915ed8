#pragma once

#include <QString>
#include <QStringList>

struct sqlite3_context;
struct sqlite3_value;

namespace jotrak {

class ConnectionHolder;

// Schema version 3: words of one and two characters found through an index.
// SouGram, a contentless FTS5 table keyed by Sou's ord, holds for each Sou text
// its characters and pairs of neighbouring characters (Latin A-Z folded, blanks
// left out), each written by the program as one ASCII token: a character as
// the hex of its code, a pair as the two joined by 'x'. The engine cannot make
// these tokens, so the triggers on Sou (built-in functions only, as another
// tool writing the file runs them too) note each text changed in SouQueue,
// with the text the index holds for it; the program brings SouGram up to date
// from the queue in the transaction of its own changes and when it opens a
// file. A search that finds the queue not empty (a read-only connection, a
// file another tool has just changed) reads the queued texts as well.

// The statements that bring a file of version 2 to version 3; filling SouGram
// from Sou is among them.
QStringList GramIndexSchema();

// Whether the file holds SouGram and SouQueue (version 3).
bool HasGramIndex(ConnectionHolder& connection);

// Brings SouGram up to date from SouQueue, in a savepoint of its own inside
// the caller's transaction. A failure leaves the queue as it was, which the
// search still reads, and is not raised: the caller's change goes on.
void DrainGramQueue(ConnectionHolder& connection);

// The FTS5 query (tokens joined by AND) for words of at most two characters;
// empty when a word is longer or none is given.
QString GramQuery(const QStringList& words);

// jotrak_grams(text): the tokens of text, blank-separated.
void GramsFunction(sqlite3_context* context, int count, sqlite3_value** args);

} // namespace jotrak
