#pragma once

#include "data/keys.h"
#include "data/search_index.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace jotrak {

class ConnectionHolder;

// Searching the goals and work items of every year, month and day. A goal
// text, an item's content and an item's note are each searched on their own:
// a text is found when it holds every word of the query, Latin letters A-Z of
// either case alike, everything else (%, _, \, ', any Chinese character) as
// it is. An item found in both its content and its note is one hit, in its
// content. Hits come newest first: by key (a day, then its month after the
// month's last day, the year after its last month), the goal before its
// items, the newest item first.

enum class FoundIn { Goal, Content, Note }; // 目标, 工作内容, 完成情况

struct SearchHit {
    PeriodKind kind = PeriodKind::Day;
    QString key;
    FoundIn where = FoundIn::Goal;
    int itemId = 0; // the item found; 0 for a goal
    bool done = false;
    QString excerpt;                  // one line around the first hit
    QList<std::pair<int, int>> marks; // (start, length) of every hit in the excerpt
};

struct SearchSummary {
    int total = 0;        // goals and items found
    int listed = 0;       // of them handed over as hits
    bool indexed = false; // whether the file's search index served
    bool complete = false;
};

// The words of a query: its parts between blanks (any white space, the
// ideographic blank too).
QStringList SearchWords(const QString& query);

// Reads the date range of a filter: each end empty (open), a year (2018), a
// month (201801) or a day (20180101), the first day of the first and the last
// day of the last. Returns what is wrong, in Chinese, or an empty text.
QString ReadDateRange(const QString& from, const QString& to, SearchFilter& filter);

// One line of text around the first place one of the words is found, cut to
// about 60 characters (an ellipsis where text is left out), with every place a
// word is found marked.
SearchHit Excerpt(const QString& text, const QStringList& words);

// Runs a search on the words, narrowed by the filter. The first listLimit hits are handed to onHits in
// batches (the first batch as soon as 200 are found); the others are only
// counted. goOn is asked before each row and onHits after each batch; either
// answering false ends the search early (complete stays false). Raises
// DatabaseError when the file fails.
SearchSummary SearchLog(ConnectionHolder& connection, const QStringList& words, const SearchFilter& filter,
                        int listLimit, const std::function<bool(std::vector<SearchHit>&&)>& onHits,
                        const std::function<bool()>& goOn = {});

inline constexpr int kFirstSearchBatch = 200;

} // namespace jotrak
