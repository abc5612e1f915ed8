#pragma once

#include "reminders/scheme_store.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <vector>

namespace jotrak {

class ConnectionHolder;

inline constexpr int kCalendarYears = 10;

// An iCalendar file (RFC 5545) of the schemes' days from `first` for `years`
// years: one all-day event per day a scheme falls on, a lunar scheme on the
// Gregorian date of each occurrence (calendars do not repeat by the lunar
// calendar). An event's UID is made of the scheme's IDME and the date, so a
// calendar that imports the file again updates rather than doubles it. Lines
// end in CR LF and are folded at 75 octets.
QByteArray WriteCalendarFile(const std::vector<StoredScheme>& schemes, QDate first, int years, const QDateTime& stamp);

// The outcome of writing the file: an empty message on success, else what
// the user is told and the system's own words.
struct CalendarExportResult {
    QString message;
    QString details;
    bool ok() const { return message.isEmpty(); }
};

// Writes the calendar of every scheme of Tx, from today's local date, to
// `path`, replacing it whole or not at all. Raises DatabaseError when Tx
// cannot be read.
CalendarExportResult ExportReminderCalendar(ConnectionHolder& connection, const QString& path,
                                            int years = kCalendarYears);

} // namespace jotrak
