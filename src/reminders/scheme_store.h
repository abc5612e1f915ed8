#pragma once

#include <QString>

#include <optional>
#include <vector>

namespace jotrak {

class ConnectionHolder;

// The reminder schemes: rows of Tx. Every call raises DatabaseError when the
// file fails.

// One scheme as it is stored; Null texts read as empty.
struct Scheme {
    QString name;
    QString content;
    QString dateRule;  // "dd" every month, "mmdd" every year
    int calendar = 0;  // 0 Gregorian, 1 lunar (any stored value but 0 reads as lunar)
    int daysAhead = 0; // 0..30: announced as coming this many days before (stored values clamped)
};

inline constexpr int kMostDaysAhead = 30;

struct StoredScheme {
    int id = 0; // IDME
    Scheme scheme;
};

// Every scheme, in IDME order.
std::vector<StoredScheme> ListSchemes(ConnectionHolder& connection);
// The scheme with this IDME; none when it is gone.
std::optional<Scheme> LoadScheme(ConnectionHolder& connection, int id);
// Appends a scheme; returns its IDME.
int AppendScheme(ConnectionHolder& connection, const Scheme& scheme);
// Rewrites the scheme with this IDME; false, with nothing written, when it is gone.
bool ChangeScheme(ConnectionHolder& connection, int id, const Scheme& scheme);
// Deletes the scheme with this IDME; one already gone is no error.
void RemoveScheme(ConnectionHolder& connection, int id);

} // namespace jotrak
