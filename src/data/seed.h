#pragma once

namespace jotrak {

class ConnectionHolder;

// Fills each empty period table (Nian, Yue, Ri) with the keys of 2018 to 2037;
// a table that holds any row is left alone. All appends run in one transaction,
// so an interrupted seeding leaves the tables as they were.
void SeedPeriodTables(ConnectionHolder& connection);

} // namespace jotrak
