#include "search/search_store.h"

#include "data/record_access.h"
#include "data/search_index.h"

#include <QDate>
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

QString ReadDateRange(const QString& from, const QString& to, SearchFilter& filter)
{
    // the first or last day of a year, month or day written as digits; 0 when it is none
    const auto day = [](const QString& written, bool last) {
        const QString text = written.trimmed();
        static const QRegularExpression digits(QStringLiteral("^\\d{4}(\\d{2}(\\d{2})?)?$"));
        if (!digits.match(text).hasMatch())
            return 0;
        const int year = text.left(4).toInt();
        const int month = text.size() >= 6 ? text.mid(4, 2).toInt() : last ? 12 : 1;
        QDate date(year, month, 1);
        if (text.size() == 8)
            date = QDate(year, month, text.mid(6, 2).toInt());
        else if (last)
            date = QDate(year, month, date.daysInMonth());
        return date.isValid() ? date.year() * 10000 + date.month() * 100 + date.day() : 0;
    };
    const QString format = QStringLiteral("请把日期写成年(2018)、年月(201801)或年月日(20180101)");
    filter.from = from.trimmed().isEmpty() ? 0 : day(from, false);
    filter.to = to.trimmed().isEmpty() ? 0 : day(to, true);
    if ((!from.trimmed().isEmpty() && filter.from == 0) || (!to.trimmed().isEmpty() && filter.to == 0))
        return format;
    if (filter.from > 0 && filter.to > 0 && filter.from > filter.to)
        return QStringLiteral("起始日期晚于结束日期");
    return {};
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

SearchSummary SearchLog(ConnectionHolder& connection, const QStringList& words, const SearchFilter& filter,
                        int listLimit, const std::function<bool(std::vector<SearchHit>&&)>& onHits,
                        const std::function<bool()>& goOn)
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
    ReadRows(connection, stmt::SearchTexts(words, filter, index, std::numeric_limits<qint64>::max()),
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
        OpenRecordset(count, stmt::CountSearchTexts(words, filter, index, below), connection);
        summary.total += GetFieldValue(count, QStringLiteral("n")).toInt();
    }
    summary.complete = true;
    return summary;
}

} // namespace jotrak
