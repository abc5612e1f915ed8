#include "search/search_store.h"

#include "data/record_access.h"
#include "data/search_index.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <optional>

namespace jotrak {

namespace {

constexpr int kExcerptLength = 60;
constexpr int kBeforeHit = 16;
const QString kEllipsis = QStringLiteral("…");

// The key of a goal and its IDME; none when the row is gone.
std::optional<QString> GoalKey(ConnectionHolder& connection, Table goalTable, int goalId)
{
    RecordsetHolder goal;
    OpenRecordset(goal, stmt::GoalById(goalTable, goalId), connection);
    if (IsAtEnd(goal))
        return std::nullopt;
    return GetFieldValue(goal, QStringLiteral("ming")).toText();
}

// Kind, key and state of the row an index row names; false when it is gone
// (changed since the index row was read).
bool FillRow(ConnectionHolder& connection, const IndexedText& at, SearchHit& hit)
{
    const Table goalTable = GoalTableOf(at.kind);
    hit.kind = at.kind;
    int goalId = at.id;
    if (at.goal) {
        hit.where = FoundIn::Goal;
    } else {
        RecordsetHolder item;
        OpenRecordset(item, stmt::ItemById(ItemTableOf(goalTable), at.id), connection);
        if (IsAtEnd(item))
            return false;
        goalId = GetFieldValue(item, QStringLiteral("ShangId")).toInt();
        hit.where = at.note ? FoundIn::Note : FoundIn::Content;
        hit.itemId = at.id;
        hit.done = GetFieldValue(item, QStringLiteral("IsOk")).toInteger() != 0;
    }
    const std::optional<QString> key = GoalKey(connection, goalTable, goalId);
    if (!key)
        return false;
    hit.key = *key;
    return true;
}

// A cut that does not split a character outside the basic plane.
qsizetype WholeCharacter(const QString& text, qsizetype at)
{
    return at > 0 && at < text.size() && text[at].isLowSurrogate() ? at - 1 : at;
}

} // namespace

QStringList SearchWords(const QString& query)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"), QRegularExpression::UseUnicodePropertiesOption);
    return query.split(blanks, Qt::SkipEmptyParts);
}

SearchHit Excerpt(const QString& text, const QStringList& words)
{
    const QString folded = FoldLatinCase(text);
    QStringList foldedWords;
    qsizetype first = text.size();
    for (const QString& word : words) {
        foldedWords << FoldLatinCase(word);
        const qsizetype at = folded.indexOf(foldedWords.back());
        if (at >= 0)
            first = std::min(first, at);
    }
    if (first == text.size())
        first = 0;
    const qsizetype start = WholeCharacter(text, std::max<qsizetype>(0, first - kBeforeHit));
    const qsizetype end = WholeCharacter(text, std::min(text.size(), start + kExcerptLength));

    SearchHit hit;
    const qsizetype shift = start > 0 ? kEllipsis.size() : 0;
    for (const QString& word : foldedWords)
        for (qsizetype at = folded.indexOf(word, start); at >= 0 && at < end; at = folded.indexOf(word, at + 1))
            hit.marks.append({static_cast<int>(at - start + shift), static_cast<int>(std::min(word.size(), end - at))});
    std::sort(hit.marks.begin(), hit.marks.end());
    // words found overlapping make one mark
    QList<std::pair<int, int>> merged;
    for (const auto& [at, length] : hit.marks) {
        if (!merged.isEmpty() && at <= merged.back().first + merged.back().second)
            merged.back().second = std::max(merged.back().second, at + length - merged.back().first);
        else
            merged.append({at, length});
    }
    hit.marks = merged;

    QString line = text.mid(start, end - start);
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    hit.excerpt = (start > 0 ? kEllipsis : QString()) + line + (end < text.size() ? kEllipsis : QString());
    return hit;
}

SearchSummary SearchLog(ConnectionHolder& connection, const QStringList& words, int listLimit,
                        const std::function<bool(std::vector<SearchHit>&&)>& onHits, const std::function<bool()>& goOn)
{
    SearchSummary summary;
    if (words.isEmpty()) {
        summary.complete = true;
        return summary;
    }
    const SearchIndexState index = ReadSearchIndexState(connection);
    summary.indexed = index.trigrams;
    std::vector<SearchHit> batch;
    bool stopped = false;
    bool more = false;
    qint64 lastRow = -1; // ord >> 1 of the last row taken: an item's content and its note share it
    const auto flush = [&] {
        if (!batch.empty() && !onHits(std::move(batch)))
            stopped = true;
        batch.clear();
    };
    ReadRows(connection, stmt::SearchTexts(words, index, std::numeric_limits<qint64>::max()),
             [&](const std::vector<Value>& row) {
                 if (goOn && !goOn()) {
                     stopped = true;
                     return false;
                 }
                 const qint64 ord = row[0].toInteger();
                 if (ord >> 1 == lastRow)
                     return true;
                 if (summary.listed == listLimit) {
                     more = true;
                     return false;
                 }
                 SearchHit hit = Excerpt(row[1].toText(), words);
                 if (!FillRow(connection, DecodeOrd(ord), hit))
                     return true;
                 lastRow = ord >> 1;
                 batch.push_back(std::move(hit));
                 ++summary.listed;
                 if (static_cast<int>(batch.size()) == kFirstSearchBatch)
                     flush();
                 return !stopped;
             });
    if (!stopped)
        flush();
    if (stopped)
        return summary;
    summary.total = summary.listed;
    if (more) {
        RecordsetHolder count;
        const qint64 below = lastRow < 0 ? std::numeric_limits<qint64>::max() : lastRow << 1;
        OpenRecordset(count, stmt::CountSearchTexts(words, index, below), connection);
        summary.total += GetFieldValue(count, QStringLiteral("n")).toInt();
    }
    summary.complete = true;
    return summary;
}

} // namespace jotrak
