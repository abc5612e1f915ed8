#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace jotrak {

// The period a goal belongs to: 1 year, 2 month, 3 day.
enum class PeriodKind { Year = 1, Month = 2, Day = 3 };

// The eight tables; names come only from this fixed set.
enum class Table { Nian, Yue, Ri, NianNext, YueNext, RiNext, An, Tx };

QString TableName(Table table);
// The goal table of a period kind: Nian, Yue or Ri.
Table GoalTableOf(PeriodKind kind);
// The item table of a goal table: its name followed by "Next".
Table ItemTableOf(Table goalTable);
std::optional<PeriodKind> PeriodKindFromInt(int kind);

// A month or day below 10 gets a leading "0": 5 -> "05", 12 -> "12".
QString TwoDigitText(int n);
// "201801" for January 2018.
QString FormatMonthKey(int year, int month);
// "20180101" for 1 January 2018.
QString FormatDayKey(int year, int month, int day);

// The leading-digits rule: leading white space is skipped, an optional sign is
// taken, then decimal digits up to the first other character. No digits gives 0.
// Values beyond the 32-bit range saturate instead of overflowing.
int LeadingNumber(QStringView text);

} // namespace jotrak
