#pragma once

#include <QDate>

namespace jotrak {
class ConnectionHolder;
}

namespace jotrak::bench {

class VariedText;

// Ten years of use, 2018 to 2027: every year, month and day goal of them with
// a text; 6 items under each year, 3 under each month and 3 to 5 under each
// day (about 14 600), most of them done, many with a note; 60 reminder schemes;
// the 18 launcher buttons bound. Texts varied (varied_text.h); in one
// transaction, the search index made once at the end.
void FillTenYears(ConnectionHolder& connection, VariedText& texts);
inline constexpr int kLastYearOfLog = 2027;

// What a person does in a working day, each step its own commit as the window
// makes it: the day's goal written and twice rewritten, 10 items added, 6
// changed (content, note, done), 2 removed (one of the day before), the
// month's goal added to. Returns the number of commits (22).
int WorkADay(ConnectionHolder& connection, VariedText& texts, const QDate& day);

} // namespace jotrak::bench
