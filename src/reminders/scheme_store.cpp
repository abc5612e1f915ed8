#include "reminders/scheme_store.h"

#include "data/record_access.h"

#include <algorithm>

namespace jotrak {

namespace {

const QString kId = QStringLiteral("IDME");
const QString kName = QStringLiteral("ming");
const QString kContent = QStringLiteral("nr");
const QString kDateRule = QStringLiteral("shijian");
const QString kCalendar = QStringLiteral("lifa");
const QString kDaysAhead = QStringLiteral("tiqian"); // from file version 5

int DaysAheadOf(RecordsetHolder& rs)
{
    if (!HasField(rs, kDaysAhead))
        return 0;
    return static_cast<int>(std::clamp<qint64>(GetFieldValue(rs, kDaysAhead).toInteger(), 0, kMostDaysAhead));
}

Scheme ReadScheme(RecordsetHolder& rs)
{
    return {TextFromValue(GetFieldValue(rs, kName)), TextFromValue(GetFieldValue(rs, kContent)),
            TextFromValue(GetFieldValue(rs, kDateRule)), GetFieldValue(rs, kCalendar).toInteger() != 0 ? 1 : 0,
            DaysAheadOf(rs)};
}

void WriteScheme(RecordsetHolder& rs, const Scheme& scheme)
{
    SetFieldValue(rs, kName, scheme.name);
    SetFieldValue(rs, kContent, scheme.content);
    SetFieldValue(rs, kDateRule, scheme.dateRule);
    SetFieldValue(rs, kCalendar, scheme.calendar);
    if (HasField(rs, kDaysAhead))
        SetFieldValue(rs, kDaysAhead, scheme.daysAhead);
}

} // namespace

std::vector<StoredScheme> ListSchemes(ConnectionHolder& connection)
{
    std::vector<StoredScheme> schemes;
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SelectSchemes(), connection);
    schemes.reserve(static_cast<std::size_t>(rs.rowCount()));
    for (; !IsAtEnd(rs); MoveToNext(rs))
        schemes.push_back({GetFieldValue(rs, kId).toInt(), ReadScheme(rs)});
    return schemes;
}

std::optional<Scheme> LoadScheme(ConnectionHolder& connection, int id)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SchemeById(id), connection);
    if (IsAtEnd(rs))
        return std::nullopt;
    return ReadScheme(rs);
}

int AppendScheme(ConnectionHolder& connection, const Scheme& scheme)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::ForAppending(Table::Tx), connection);
    AddNewRow(rs);
    WriteScheme(rs, scheme);
    const int id = GetFieldValue(rs, kId).toInt();
    StoreRow(rs);
    return id;
}

bool ChangeScheme(ConnectionHolder& connection, int id, const Scheme& scheme)
{
    RecordsetHolder rs;
    OpenRecordset(rs, stmt::SchemeById(id), connection);
    if (IsAtEnd(rs))
        return false;
    WriteScheme(rs, scheme);
    StoreRow(rs);
    return true;
}

void RemoveScheme(ConnectionHolder& connection, int id)
{
    ExecuteStatement(connection, stmt::DeleteScheme(id));
}

} // namespace jotrak
