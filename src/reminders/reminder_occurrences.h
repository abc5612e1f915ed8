#pragma once

#include "reminders/reminder_rules.h"
#include "reminders/scheme_store.h"

#include <QDate>

#include <vector>

namespace jotrak {

// The Gregorian and lunar numbers of a real date; the lunar ones are 0 where
// the lunar tables hold no date, so no lunar scheme falls on it.
ReminderDay ReminderDayOfDate(QDate date);

// What a scheme is called in lists: its name, or the first line of its
// content when the name is blank.
QString SchemeTitle(const Scheme& scheme);

struct Occurrence {
    QDate date;
    const StoredScheme* scheme = nullptr; // points into the list given
};

// Every day from first to last on which a scheme falls, by date and then in
// the order of the list.
std::vector<Occurrence> OccurrencesBetween(const std::vector<StoredScheme>& schemes, QDate first, QDate last);

} // namespace jotrak
