#pragma once

#include <QDate>
#include <QString>

#include <vector>

namespace jotrak {

class ConnectionHolder;

// What a work report reads of the log, one statement per goal table for a
// whole range of keys. Raises DatabaseError when the file fails.

struct LoggedItem {
    QString content;
    QString note;
    bool done = false;
    QString carriedTo; // the key of the goal it was carried to; empty when never carried
};

struct LoggedGoal {
    QString key; // yyyy, yyyymm or yyyymmdd
    QString text;
    std::vector<LoggedItem> items;
};

// The goals of the years, months and days a range of days touches, each with
// its items in the order they were written, in key order.
struct PeriodLog {
    std::vector<LoggedGoal> years;
    std::vector<LoggedGoal> months;
    std::vector<LoggedGoal> days;
};

PeriodLog ReadPeriodLog(ConnectionHolder& connection, QDate first, QDate last);

} // namespace jotrak
