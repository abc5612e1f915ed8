#pragma once

namespace jotrak {

class ConnectionHolder;

// Fills each empty period table (Nian, Yue, Ri) with the keys of 2018 to 2037;
// a table that holds any row is left alone. All appends run in one transaction,
// so an interrupted seeding leaves the tables as they were.
void SeedPeriodTables(ConnectionHolder& connection);

// When Nian has no row for currentYear and its last year lies before it, appends
// to each period table, in one transaction and in the shape of the seed, every
// key after the table's last one through the end of currentYear + 1. Otherwise
// only reads, so a read-only file that already has the year still opens.
void ExtendPeriodTables(ConnectionHolder& connection, int currentYear);

} // namespace jotrak
