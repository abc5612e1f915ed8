#include "data/search_index.h"

#include "data/record_access.h"
#include "data/search_grams.h"

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

namespace jotrak {

namespace {

constexpr int kKeyShift = 36;
constexpr qint64 kGoalBit = qint64{1} << 35;
constexpr int kKindShift = 33;
constexpr qint64 kIdMask = 0xFFFFFFFF;
// A long word is looked up by this many of its trigrams at most; the text
// itself decides.
constexpr int kTrigramsPerWord = 12;

int KindCode(Table goalTable)
{
    return goalTable == Table::Nian ? 0 : goalTable == Table::Yue ? 1 : 2;
}

// A key of 4, 6 or 8 digits as the number yyyymmdd, months and years padded
// with zeros so that a year sorts before its months and a month before its
// days; any other key as 0.
QString KeyNumber(const QString& key)
{
    return QStringLiteral("(CASE WHEN length(%1) IN (4,6,8) AND %1 NOT GLOB '*[^0-9]*' "
                          "THEN CAST(substr(%1||'0000',1,8) AS INTEGER) ELSE 0 END)")
        .arg(key);
}

// The ord of the text of row (a goal, or an item whose goal is g); field 1 is
// a goal text or an item's content, 0 an item's note.
QString Ord(Table goalTable, const QString& g, bool goal, const QString& row, int field)
{
    const qint64 kind = (goal ? kGoalBit : 0) | (qint64{KindCode(goalTable)} << kKindShift);
    return QStringLiteral("((%1 << %2) | %3 | ((%4.IDME & %5) << 1) | %6)")
        .arg(KeyNumber(g + QStringLiteral(".ming")))
        .arg(kKeyShift)
        .arg(kind)
        .arg(row)
        .arg(kIdMask)
        .arg(field);
}

// (ord, text) of the goal row g: a table read whole, or NEW or OLD in a trigger.
QString GoalRow(Table goalTable, const QString& g)
{
    const bool inTrigger = g == u"NEW" || g == u"OLD";
    return QStringLiteral("SELECT %1 AS ord, %2.nr AS nr %3 WHERE %2.nr <> ''")
        .arg(Ord(goalTable, g, true, g, 1), g, inTrigger ? QString() : QStringLiteral("FROM ") + g);
}

// (ord, text) of the content (field 1, nr) or the note (0, wcqk) of item i
// under goal g; from names the tables behind them and where joins them.
QString ItemRows(Table goalTable, const QString& i, const QString& g, int field, const QString& from,
                 const QString& where)
{
    return QStringLiteral("SELECT %1 AS ord, %2.%3 AS nr FROM %4 WHERE %5 AND %2.%3 <> ''")
        .arg(Ord(goalTable, g, false, i, field), i, field == 1 ? QStringLiteral("nr") : QStringLiteral("wcqk"), from,
             where);
}

QString Insert(const QString& rows)
{
    return QStringLiteral("INSERT INTO Sou(ord, nr) %1;").arg(rows);
}

// A text at ord, new or replacing the one there.
QString Put(const QString& ord, const QString& text)
{
    return QStringLiteral("INSERT INTO Sou(ord, nr) VALUES (%1, %2) ON CONFLICT(ord) DO UPDATE SET nr = excluded.nr;")
        .arg(ord, text);
}

QString Delete(const QString& where)
{
    return QStringLiteral("DELETE FROM Sou WHERE %1;").arg(where);
}

// Triggers of a goal table and its item table; those of Sou keep SouFts in
// step. What a work item's or a goal text's change runs puts single values
// (no INSERT ... SELECT, which would build a temporary table for each row
// stored), so each text has triggers of its own whose conditions exclude one
// another: the engine runs triggers in no promised order.
QStringList Triggers(Table goalTable)
{
    const QString g = TableName(goalTable);
    const QString items = TableName(ItemTableOf(goalTable));
    const QString itemsOf = QStringLiteral("%1 i").arg(items);
    const auto goalOrd = [&](const QString& row) { return Ord(goalTable, row, true, row, 1); };
    const auto sameKey = [](const QString& column) {
        return QStringLiteral("OLD.ming IS NEW.ming AND OLD.IDME IS NEW.IDME AND OLD.%1 IS NOT NEW.%1").arg(column);
    };
    // rarely run (no command changes a key or deletes a goal): the goal's own
    // text and its items' texts, under its key or no longer
    const auto attach = [&](const QString& row) {
        const QString where = QStringLiteral("i.ShangId = %1.IDME").arg(row);
        return Insert(ItemRows(goalTable, QStringLiteral("i"), row, 0, itemsOf, where)) +
               Insert(ItemRows(goalTable, QStringLiteral("i"), row, 1, itemsOf, where)) +
               Insert(GoalRow(goalTable, row));
    };
    const auto detach = [&](const QString& row) {
        QString sql = Delete(QStringLiteral("ord = ") + goalOrd(row));
        for (int field : {1, 0})
            sql += Delete(QStringLiteral("ord IN (SELECT %1 FROM %2 WHERE i.ShangId = %3.IDME)")
                              .arg(Ord(goalTable, row, false, QStringLiteral("i"), field), itemsOf, row));
        return sql;
    };
    // the ord of an item's text under its goal; NULL when the goal is gone
    const auto itemOrd = [&](const QString& row, int field) {
        return QStringLiteral("(SELECT %1 FROM %2 g WHERE g.IDME = %3.ShangId)")
            .arg(Ord(goalTable, QStringLiteral("g"), false, row, field), g, row);
    };
    const QString hasGoal = QStringLiteral("EXISTS (SELECT 1 FROM %1 WHERE IDME = NEW.ShangId)").arg(g);
    const QString moved = QStringLiteral("(OLD.IDME IS NOT NEW.IDME OR OLD.ShangId IS NOT NEW.ShangId)");
    const QString trigger = QStringLiteral("CREATE TRIGGER %1_sou_%2 AFTER %3 ON %1 WHEN %4 BEGIN %5 END");
    QStringList sql = {
        trigger.arg(g, QStringLiteral("add"), QStringLiteral("INSERT"), QStringLiteral("NEW.nr <> ''"),
                    Put(goalOrd(QStringLiteral("NEW")), QStringLiteral("NEW.nr"))),
        trigger.arg(g, QStringLiteral("set"), QStringLiteral("UPDATE OF nr"),
                    sameKey(QStringLiteral("nr")) + QStringLiteral(" AND NEW.nr <> ''"),
                    Put(goalOrd(QStringLiteral("NEW")), QStringLiteral("NEW.nr"))),
        trigger.arg(g, QStringLiteral("unset"), QStringLiteral("UPDATE OF nr"),
                    sameKey(QStringLiteral("nr")) + QStringLiteral(" AND coalesce(NEW.nr, '') = ''"),
                    Delete(QStringLiteral("ord = ") + goalOrd(QStringLiteral("OLD")))),
        trigger.arg(g, QStringLiteral("delete"), QStringLiteral("DELETE"), QStringLiteral("1"),
                    detach(QStringLiteral("OLD"))),
        // a key given to a new row (the seeding) finds nothing to move
        trigger.arg(
            g, QStringLiteral("key"), QStringLiteral("UPDATE OF IDME, ming"),
            QStringLiteral("(OLD.ming IS NOT NEW.ming OR OLD.IDME IS NOT NEW.IDME) AND "
                           "(OLD.nr <> '' OR NEW.nr <> '' OR EXISTS (SELECT 1 FROM %1 WHERE ShangId = OLD.IDME) "
                           "OR EXISTS (SELECT 1 FROM %1 WHERE ShangId = NEW.IDME))")
                .arg(items),
            detach(QStringLiteral("OLD")) + attach(QStringLiteral("NEW"))),
        trigger.arg(items, QStringLiteral("delete"), QStringLiteral("DELETE"),
                    QStringLiteral("OLD.nr <> '' OR OLD.wcqk <> ''"),
                    // an item's two texts have neighbouring ords, the note's first
                    Delete(QStringLiteral("ord BETWEEN %1 AND %1 + 1").arg(itemOrd(QStringLiteral("OLD"), 0)))),
    };
    for (const auto& [column, field] : {std::pair{QStringLiteral("nr"), 1}, std::pair{QStringLiteral("wcqk"), 0}}) {
        const QString text = QStringLiteral("NEW.") + column;
        const QString changed = QStringLiteral("(%1 OR OLD.%2 IS NOT NEW.%2)").arg(moved, column);
        sql << trigger.arg(items, QStringLiteral("add_") + column, QStringLiteral("INSERT"),
                           text + QStringLiteral(" <> '' AND ") + hasGoal,
                           Put(itemOrd(QStringLiteral("NEW"), field), text));
        sql << trigger.arg(items, QStringLiteral("set_") + column, QStringLiteral("UPDATE OF IDME, ShangId, ") + column,
                           changed + QStringLiteral(" AND ") + text + QStringLiteral(" <> '' AND ") + hasGoal,
                           Put(itemOrd(QStringLiteral("NEW"), field), text));
        // the old place is left unless set_ has just put the new text there
        sql << trigger.arg(
            items, QStringLiteral("unset_") + column, QStringLiteral("UPDATE OF IDME, ShangId, ") + column,
            QStringLiteral("%1 OR (OLD.%2 IS NOT NEW.%2 AND coalesce(NEW.%2, '') = '')").arg(moved, column),
            Delete(QStringLiteral("ord = %1 AND (coalesce(NEW.%2, '') = '' OR ord IS NOT %3)")
                       .arg(itemOrd(QStringLiteral("OLD"), field), column, itemOrd(QStringLiteral("NEW"), field))));
    }
    return sql;
}

// Every (ord, text) the index holds, read from the six tables.
QString AllRows()
{
    QStringList parts;
    for (Table goalTable : {Table::Nian, Table::Yue, Table::Ri}) {
        const QString g = TableName(goalTable);
        parts << GoalRow(goalTable, g);
        for (int field : {1, 0})
            parts << ItemRows(goalTable, QStringLiteral("i"), QStringLiteral("g"), field,
                              TableName(ItemTableOf(goalTable)) + QStringLiteral(" i JOIN ") + g +
                                  QStringLiteral(" g ON g.IDME = i.ShangId"),
                              QStringLiteral("1"));
    }
    return parts.join(QStringLiteral(" UNION ALL "));
}

// jotrak_holds(text, word): the word comes folded; the text is folded only when
// the word has a letter to match.
void Holds(sqlite3_context* context, int, sqlite3_value** args)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(args[0]));
    const std::string_view word(reinterpret_cast<const char*>(sqlite3_value_text(args[1])),
                                static_cast<std::size_t>(sqlite3_value_bytes(args[1])));
    if (!text || word.data() == nullptr) {
        sqlite3_result_int(context, 0);
        return;
    }
    std::string_view haystack(text, static_cast<std::size_t>(sqlite3_value_bytes(args[0])));
    thread_local std::string folded;
    if (std::any_of(word.begin(), word.end(), [](char c) { return c >= 'a' && c <= 'z'; })) {
        folded.assign(haystack);
        for (char& c : folded)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        haystack = folded;
    }
    sqlite3_result_int(context, haystack.find(word) != std::string_view::npos ? 1 : 0);
}

// The FTS5 query naming trigrams of every word of three characters or more
// (each quoted, so nothing in it is query syntax); empty when there is none.
QString TrigramQuery(const QStringList& words)
{
    QStringList terms;
    for (const QString& word : words) {
        const QList<uint> points = word.toUcs4();
        const int count = static_cast<int>(points.size()) - 2;
        if (count < 1)
            continue;
        const int taken = std::min(count, kTrigramsPerWord);
        for (int n = 0; n < taken; ++n) {
            const int at = taken == 1 ? 0 : n * (count - 1) / (taken - 1);
            const QString trigram = QString::fromUcs4(reinterpret_cast<const char32_t*>(points.constData() + at), 3);
            const QString term = u'"' + QString(trigram).replace(u'"', QStringLiteral("\"\"")) + u'"';
            if (!terms.contains(term))
                terms << term;
        }
    }
    return terms.join(QStringLiteral(" AND "));
}

// The conditions of the filter on the ord column (kind, place and key are
// parts of it; an item's state is read from its table), with their parameters.
QStringList FilterConditions(const SearchFilter& filter, const QString& ord, std::vector<Value>& params)
{
    QStringList where;
    const QString key = QStringLiteral("(%1 >> %2)").arg(ord).arg(kKeyShift);
    const QString kind = QStringLiteral("((%1 >> %2) & 3)").arg(ord).arg(kKindShift);
    const QString goal = QStringLiteral("(%1 & %2) <> 0").arg(ord).arg(kGoalBit);
    if (filter.from > 0) {
        // the smallest key that can reach the range first: a year's
        where << QStringLiteral("%1 >= ?").arg(ord);
        params.emplace_back(qint64{filter.from - 1231} << kKeyShift);
        where << QStringLiteral("%1 + CASE %2 WHEN 0 THEN 1231 WHEN 1 THEN 31 ELSE 0 END >= ?").arg(key, kind);
        params.emplace_back(filter.from);
    }
    if (filter.to > 0) { // the upper bound of ord is below's (UpperOrd)
        where << QStringLiteral("%1 + CASE %2 WHEN 0 THEN 101 WHEN 1 THEN 1 ELSE 0 END <= ?").arg(key, kind);
        params.emplace_back(filter.to);
    }
    QStringList kinds;
    for (const auto& [wanted, code] : {std::pair{filter.years, 0}, {filter.months, 1}, {filter.days, 2}})
        if (wanted)
            kinds << QString::number(code);
    if (kinds.size() < 3)
        where << QStringLiteral("%1 IN (%2)").arg(kind, kinds.join(u','));
    if (!(filter.goals && filter.contents && filter.notes)) {
        QStringList places;
        if (filter.goals)
            places << goal;
        for (const auto& [wanted, field] : {std::pair{filter.contents, 1}, {filter.notes, 0}})
            if (wanted)
                places << QStringLiteral("((%1 & %2) = 0 AND (%1 & 1) = %3)").arg(ord).arg(kGoalBit).arg(field);
        where << u'(' + (places.isEmpty() ? QStringLiteral("0") : places.join(QStringLiteral(" OR "))) + u')';
    }
    if (!filter.done && !filter.open) {
        where << goal;
    } else if (filter.done != filter.open) {
        QStringList states;
        for (Table goalTable : {Table::Nian, Table::Yue, Table::Ri})
            states << QStringLiteral("WHEN %1 THEN (SELECT IsOk FROM %2 WHERE IDME = (%3 >> 1) & %4)")
                          .arg(KindCode(goalTable))
                          .arg(TableName(ItemTableOf(goalTable)), ord)
                          .arg(kIdMask);
        where << QStringLiteral("(%1 OR coalesce(CASE %2 %3 END, 0) %4 0)")
                     .arg(goal, kind, states.join(u' '), filter.done ? QStringLiteral("<>") : QStringLiteral("="));
    }
    return where;
}

// The ord every row of the search lies below: a single bound, which the
// engine (FTS5 too) starts its backward scan at.
qint64 UpperOrd(const SearchFilter& filter, qint64 below)
{
    return filter.to > 0 ? std::min(below, qint64{filter.to + 1} << kKeyShift) : below;
}

// The search with its parameters; counting leaves out the order.
Statement Search(const QStringList& words, const SearchFilter& filter, const SearchIndexState& index, qint64 below,
                 bool counting)
{
    Statement st;
    st.table = Table::Ri;
    const QString trigrams = index.trigrams ? TrigramQuery(words) : QString();
    const QString grams = index.grams && trigrams.isEmpty() ? GramQuery(words) : QString();
    if (!grams.isEmpty() && !index.queued) {
        // every word is one of the tokens: the index alone decides
        st.params = {Value(grams), Value(UpperOrd(filter, below))};
        const QStringList filtered = FilterConditions(filter, QStringLiteral("g.rowid"), st.params);
        const QString hits = QStringLiteral("FROM SouGram g %1 WHERE g.SouGram MATCH ? AND g.rowid < ?") +
                             (filtered.isEmpty() ? QString() : QStringLiteral(" AND ") + filtered.join(" AND "));
        st.sql = counting ? QStringLiteral("SELECT count(DISTINCT g.rowid >> 1) AS n ") + hits.arg(QString())
                          : QStringLiteral("SELECT g.rowid AS ord, s.nr ") +
                                hits.arg(QStringLiteral("JOIN Sou s ON s.ord = g.rowid")) +
                                QStringLiteral(" ORDER BY g.rowid DESC");
        return st;
    }
    QString source;
    QString ord = QStringLiteral("ord");
    QStringList where;
    if (!trigrams.isEmpty()) {
        source = QStringLiteral("SouFts");
        ord = QStringLiteral("rowid");
        where << QStringLiteral("SouFts MATCH ?");
        st.params.emplace_back(trigrams);
    } else if (!grams.isEmpty()) {
        // texts changed since SouGram was brought up to date are read as well
        source = QStringLiteral("Sou");
        where << QStringLiteral("ord IN (SELECT rowid FROM SouGram WHERE SouGram MATCH ? "
                                "UNION SELECT ord FROM SouQueue)");
        st.params.emplace_back(grams);
    } else {
        source = index.trigrams ? QStringLiteral("Sou") : u'(' + AllRows() + u')';
    }
    where << ord + QStringLiteral(" < ?");
    st.params.emplace_back(UpperOrd(filter, below));
    where << FilterConditions(filter, ord, st.params);
    for (const QString& word : words) {
        where << QStringLiteral("jotrak_holds(nr, ?)");
        st.params.emplace_back(FoldLatinCase(word));
    }
    const QString select =
        QStringLiteral("SELECT %1 AS ord, nr FROM %2 WHERE %3").arg(ord, source, where.join(QStringLiteral(" AND ")));
    st.sql = counting ? QStringLiteral("SELECT count(DISTINCT ord >> 1) AS n FROM (%1)").arg(select)
                      : select + QStringLiteral(" ORDER BY ") + ord + QStringLiteral(" DESC");
    return st;
}

} // namespace

IndexedText DecodeOrd(qint64 ord)
{
    IndexedText text;
    text.kind = PeriodKindFromInt(static_cast<int>((ord >> kKindShift) & 3) + 1).value_or(PeriodKind::Day);
    text.goal = (ord & kGoalBit) != 0;
    text.note = !text.goal && (ord & 1) == 0;
    text.id = static_cast<int>((ord >> 1) & kIdMask);
    return text;
}

void AddSearchFunctions(sqlite3* db)
{
    sqlite3_create_function_v2(db, "jotrak_holds", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               Holds, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "jotrak_grams", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                               GramsFunction, nullptr, nullptr, nullptr);
}

QStringList SearchIndexSchema()
{
    // Sou filled in ord order (its pages fill up), then indexed at once; the
    // triggers last
    QStringList sql = {
        QStringLiteral("CREATE TABLE Sou (ord INTEGER PRIMARY KEY, nr TEXT)"),
        QStringLiteral("INSERT INTO Sou(ord, nr) SELECT ord, nr FROM (%1) ORDER BY ord").arg(AllRows()),
        QStringLiteral("CREATE VIRTUAL TABLE SouFts USING fts5(nr, content='Sou', content_rowid='ord', "
                       "tokenize='trigram', detail='none', columnsize=0)"),
        QStringLiteral("INSERT INTO SouFts(SouFts) VALUES ('rebuild')"),
        QStringLiteral("CREATE TRIGGER Sou_insert AFTER INSERT ON Sou BEGIN "
                       "INSERT INTO SouFts(rowid, nr) VALUES (NEW.ord, NEW.nr); END"),
        QStringLiteral("CREATE TRIGGER Sou_delete AFTER DELETE ON Sou BEGIN "
                       "INSERT INTO SouFts(SouFts, rowid, nr) VALUES ('delete', OLD.ord, OLD.nr); END"),
        QStringLiteral("CREATE TRIGGER Sou_update AFTER UPDATE ON Sou BEGIN "
                       "INSERT INTO SouFts(SouFts, rowid, nr) VALUES ('delete', OLD.ord, OLD.nr); "
                       "INSERT INTO SouFts(rowid, nr) VALUES (NEW.ord, NEW.nr); END"),
    };
    for (Table goalTable : {Table::Nian, Table::Yue, Table::Ri})
        sql << Triggers(goalTable);
    return sql;
}

SearchIndexState ReadSearchIndexState(ConnectionHolder& connection)
{
    SearchIndexState index;
    ReadRows(connection,
             {QStringLiteral("SELECT count(*) FILTER (WHERE name IN ('Sou', 'SouFts')), "
                             "count(*) FILTER (WHERE name IN ('SouGram', 'SouQueue')) FROM sqlite_master"),
              {},
              Table::Ri},
             [&](const std::vector<Value>& row) {
                 index.trigrams = row[0].toInt() == 2;
                 index.grams = index.trigrams && row[1].toInt() == 2;
                 return false;
             });
    if (index.grams)
        ReadRows(connection, {QStringLiteral("SELECT EXISTS (SELECT 1 FROM SouQueue)"), {}, Table::Ri},
                 [&](const std::vector<Value>& row) {
                     index.queued = row.front().toInt() != 0;
                     return false;
                 });
    return index;
}

void RebuildSearchIndex(ConnectionHolder& connection, const std::function<void()>& change)
{
    Transaction transaction(connection);
    const SearchIndexState index = ReadSearchIndexState(connection);
    if (index.trigrams) {
        QStringList drop;
        // Sou_insert ..., Nian_sou_add ...: every trigger of the index
        ReadRows(connection,
                 {QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'trigger' AND name LIKE '%sou%'"),
                  {},
                  Table::Nian},
                 [&](const std::vector<Value>& row) {
                     drop << QStringLiteral("DROP TRIGGER ") + row.front().toText();
                     return true;
                 });
        drop << QStringLiteral("DROP TABLE SouFts") << QStringLiteral("DROP TABLE Sou");
        if (index.grams)
            drop << QStringLiteral("DROP TABLE SouGram") << QStringLiteral("DROP TABLE SouQueue");
        for (const QString& sql : drop)
            ExecuteStatement(connection, {sql, {}, Table::Nian});
    }
    change();
    QStringList make;
    if (index.trigrams)
        make << SearchIndexSchema();
    if (index.grams)
        make << GramIndexSchema();
    for (const QString& sql : make)
        ExecuteStatement(connection, {sql, {}, Table::Nian});
    transaction.commit();
}

QString FoldLatinCase(const QString& text)
{
    QString folded = text;
    for (QChar& c : folded)
        if (c >= u'A' && c <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    return folded;
}

namespace stmt {

Statement SearchTexts(const QStringList& words, const SearchFilter& filter, const SearchIndexState& index, qint64 below)
{
    return Search(words, filter, index, below, false);
}

Statement CountSearchTexts(const QStringList& words, const SearchFilter& filter, const SearchIndexState& index,
                           qint64 below)
{
    return Search(words, filter, index, below, true);
}

} // namespace stmt
} // namespace jotrak
