#pragma once

#include <QString>

namespace jotrak {
class ConnectionHolder;
}

// Twenty years of use: the database a long-time user has.
namespace jotrak::bench {

inline constexpr int kItemsPerDay = 20;
inline constexpr int kHeavyItemsPerDay = 50; // a heavy user: 365 250 day items
inline constexpr int kDays = 7305;           // 2018-01-01 to 2037-12-31
inline constexpr int kSchemes = 1000;        // reminder schemes

// Fills a new, seeded database: every year, month and day goal with a text;
// itemsPerDay items under every day goal (146 100 of 20), 10 under every year
// and 5 under every month, their texts varied (varied_text.h); 1000 reminder schemes of both calendars; all 18 launcher
// buttons bound. Everything in one transaction, through the record-access layer, the search index made once at the end.
void FillTwentyYears(ConnectionHolder& connection, int itemsPerDay = kItemsPerDay);

// The path of such a database, made on first use and kept in the temporary
// folder for the next benchmark run (it takes seconds to make).
QString TwentyYearDatabase(int itemsPerDay = kItemsPerDay);

} // namespace jotrak::bench
