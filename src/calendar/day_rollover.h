#pragma once

#include "data/keys.h"

#include <QDate>
#include <QString>

#include <array>
#include <optional>

namespace jotrak {

// The date the window shows and what start-up (or the last rollover) put into
// each key box and its goal box. When the local date moves on, a box follows
// the new day only while it still holds exactly that: a key the user typed or a
// goal text not yet stored is never replaced.
class DayRollover {
public:
    explicit DayRollover(QDate shown) : shown_(shown) {}

    QDate shown() const { return shown_; }
    bool DateChanged(QDate today) const { return today != shown_; }
    // The date is shown now; boxes that could not follow keep what they hold.
    void Show(QDate today) { shown_ = today; }

    // What was just put into the key box and the goal box of a period.
    void Fill(PeriodKind kind, const QString& key, const QString& goal);
    // The key the box of a period moves to on today: none while the boxes hold
    // anything but what was filled, or when they already show that key.
    std::optional<QString> NextKey(PeriodKind kind, QDate today, const QString& keyNow, const QString& goalNow) const;

    // "2018", "201801" or "20180101" for 1 January 2018.
    static QString KeyOf(PeriodKind kind, QDate date);

private:
    struct Filled {
        QString key;
        QString goal;
    };
    Filled& at(PeriodKind kind) { return filled_[static_cast<std::size_t>(kind) - 1]; }
    const Filled& at(PeriodKind kind) const { return filled_[static_cast<std::size_t>(kind) - 1]; }

    QDate shown_;
    std::array<Filled, 3> filled_;
};

} // namespace jotrak
