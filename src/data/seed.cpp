#include "data/seed.h"

#include "data/keys.h"
#include "data/record_access.h"
#include "data/search_index.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <vector>

namespace jotrak {

namespace {

using KeySink = std::function<void(const QString&)>;

int MonthLength(int year, int month)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month - 1];
}

// The keys of one period table for the years first to last, ascending.
void ForEachKey(Table table, int first, int last, const KeySink& add)
{
    for (int y = first; y <= last; ++y) {
        if (table == Table::Nian) {
            add(QString::number(y));
            continue;
        }
        for (int m = 1; m <= 12; ++m) {
            if (table == Table::Yue) {
                add(FormatMonthKey(y, m));
                continue;
            }
            for (int d = 1; d <= MonthLength(y, m); ++d)
                add(FormatDayKey(y, m, d));
        }
    }
}

void Append(RecordsetHolder& recordset, const QString& key)
{
    AddNewRow(recordset);
    SetFieldValue(recordset, QStringLiteral("ming"), key);
    StoreRow(recordset);
}

bool IsEmpty(ConnectionHolder& connection, RecordsetHolder& recordset, Table table)
{
    OpenRecordset(recordset, stmt::AnyRow(table), connection);
    const bool empty = IsAtEnd(recordset);
    CloseRecordset(recordset);
    return empty;
}

// The table's greatest well-formed key; empty when it has none.
QString LastKey(ConnectionHolder& connection, Table table)
{
    RecordsetHolder recordset;
    OpenRecordset(recordset, stmt::LastGoalKey(table), connection);
    return IsAtEnd(recordset) ? QString() : TextFromValue(GetFieldValue(recordset, QStringLiteral("ming")));
}

} // namespace

void SeedPeriodTables(ConnectionHolder& connection)
{
    RecordsetHolder recordset;
    CreateRecordset(recordset);
    const auto isEmpty = [&](Table table) { return IsEmpty(connection, recordset, table); };
    const Table tables[] = {Table::Nian, Table::Yue, Table::Ri};
    // read first: a seeded file on a read-only disk must still open
    if (std::none_of(std::begin(tables), std::end(tables), isEmpty))
        return;
    Transaction transaction(connection);
    // judged again inside: another program may have seeded meanwhile
    std::vector<Table> empty;
    std::copy_if(std::begin(tables), std::end(tables), std::back_inserter(empty), isEmpty);
    if (empty.empty())
        return;
    // rows with no text yet: nothing for the search index, which is made after them
    RebuildSearchIndex(connection, [&] {
        for (Table table : empty)
            ExecuteStatement(connection, stmt::SeedPeriodKeys(table));
    });
    transaction.commit();
}

void ExtendPeriodTables(ConnectionHolder& connection, int currentYear)
{
    RecordsetHolder recordset;
    OpenRecordset(recordset, stmt::GoalByKey(Table::Nian, QString::number(currentYear)), connection);
    const bool hasYear = !IsAtEnd(recordset);
    CloseRecordset(recordset);
    const QString lastYear = LastKey(connection, Table::Nian);
    if (hasYear || lastYear.isEmpty() || lastYear.toInt() >= currentYear)
        return;
    Transaction transaction(connection);
    for (Table table : {Table::Nian, Table::Yue, Table::Ri}) {
        const QString last = LastKey(connection, table);
        if (last.isEmpty())
            continue;
        OpenRecordset(recordset, stmt::ForAppending(table), connection);
        ForEachKey(table, last.left(4).toInt(), currentYear + 1, [&](const QString& key) {
            if (key > last)
                Append(recordset, key);
        });
        CloseRecordset(recordset);
    }
    transaction.commit();
}

} // namespace jotrak
