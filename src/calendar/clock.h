#pragma once

#include <QDateTime>

namespace jotrak {

// The one place the program reads the time. Tests can fix it at a chosen
// local moment; everything else asks through it.
class Clock {
public:
    // The current local date and time (or the moment set for a test).
    static QDateTime LocalNow();
    // The current time in UTC (or the UTC counterpart of the moment set for a test).
    static QDateTime UtcNow();
    // Freezes the clock at localNow, which carries its own offset from UTC.
    static void SetForTest(const QDateTime& localNow);
    // Back to the system clock.
    static void Reset();
};

} // namespace jotrak
