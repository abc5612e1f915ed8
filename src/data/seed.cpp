#include "data/seed.h"

#include "data/keys.h"
#include "data/record_access.h"

#include <functional>

namespace jotrak {

namespace {

constexpr int kFirstYear = 2018;
constexpr int kLastYear = 2037;

int MonthLength(int year, int month)
{
    static constexpr int lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : lengths[month - 1];
}

void SeedOne(ConnectionHolder& connection, RecordsetHolder& recordset, Table table,
             const std::function<void(const std::function<void(const QString&)>&)>& keys)
{
    OpenRecordset(recordset, stmt::AnyRow(table), connection);
    if (IsAtEnd(recordset)) {
        keys([&](const QString& key) {
            AddNewRow(recordset);
            SetFieldValue(recordset, QStringLiteral("ming"), key);
            StoreRow(recordset);
        });
    }
    CloseRecordset(recordset);
}

} // namespace

static bool AnyTableEmpty(ConnectionHolder& connection, RecordsetHolder& recordset)
{
    for (Table table : {Table::Nian, Table::Yue, Table::Ri}) {
        OpenRecordset(recordset, stmt::AnyRow(table), connection);
        const bool empty = IsAtEnd(recordset);
        CloseRecordset(recordset);
        if (empty)
            return true;
    }
    return false;
}

void SeedPeriodTables(ConnectionHolder& connection)
{
    RecordsetHolder recordset;
    CreateRecordset(recordset);
    // read first: a seeded file on a read-only disk must still open
    if (!AnyTableEmpty(connection, recordset))
        return;
    Transaction transaction(connection);
    SeedOne(connection, recordset, Table::Nian, [](const auto& add) {
        for (int y = kFirstYear; y <= kLastYear; ++y)
            add(QString::number(y));
    });
    SeedOne(connection, recordset, Table::Yue, [](const auto& add) {
        for (int y = kFirstYear; y <= kLastYear; ++y)
            for (int m = 1; m <= 12; ++m)
                add(FormatMonthKey(y, m));
    });
    SeedOne(connection, recordset, Table::Ri, [](const auto& add) {
        for (int y = kFirstYear; y <= kLastYear; ++y)
            for (int m = 1; m <= 12; ++m)
                for (int d = 1; d <= MonthLength(y, m); ++d)
                    add(FormatDayKey(y, m, d));
    });
    transaction.commit();
}

} // namespace jotrak
