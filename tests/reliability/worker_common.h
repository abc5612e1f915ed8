#pragma once

// What the two kill workers share: their command line, the lanes that keep two
// workers on one file apart, reading rows, and the loop that runs a workload.
//
//   kill_worker     <exeDir> <log> <seed> [--lane N] [--ops N]   record-access layer
//                   [--workload backups]                         backups and restores
//   kill_worker_ui  <exeDir> <log> <seed> [--lane N] [--ops N]   the real main window
//
// Both store changes into <exeDir>/Dt/db.mdb until killed (or for --ops changes)
// and report each in the side log (see workload_log.h). "ready" goes to standard
// output once the database is open; the exit code is 0 after --ops changes and
// 3 on any error, with the reason on standard error.

#include "workload_log.h"

#include "data/database_error.h"
#include "data/record_access.h"
#include "reminders/scheme_store.h"

#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <utility>
#include <vector>

namespace jotrak::reliability {

inline constexpr qint64 kNoLimit = -1;

struct Options {
    QString exeDir;
    QString logPath;
    quint32 seed = 1;
    int lane = 0;
    qint64 ops = kNoLimit;
    QString workload; // "backups", or the changes of the program's operations
};

[[noreturn]] inline void Die(const QString& why)
{
    std::fprintf(stderr, "kill_worker: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(3);
}

// The goals, buttons and schemes of one lane.
struct Lane {
    int number = 0;

    QString schemePrefix() const { return QStringLiteral("L%1:").arg(number); }
    int firstButton() const { return 1 + 9 * number; }

    // A goal table and one of this lane's keys in it.
    std::pair<Table, QString> goal(quint32 random) const
    {
        switch (random % 6) {
        case 0: return {Table::Nian, QString::number(2018 + number)};
        case 1: return {Table::Yue, FormatMonthKey(2018, 1 + number)};
        default: return {Table::Ri, FormatDayKey(2018, 1, 1 + 3 * number + static_cast<int>(random % 3))};
        }
    }
};

// The row of Tx a scheme is stored as.
inline Row SchemeRow(const Scheme& scheme)
{
    return {Value(scheme.name), Value(scheme.content), Value(scheme.dateRule), Value(scheme.calendar)};
}

// This lane's schemes.
inline std::vector<StoredScheme> LaneSchemes(ConnectionHolder& connection, const Lane& lane)
{
    std::vector<StoredScheme> mine;
    for (StoredScheme& stored : ListSchemes(connection))
        if (stored.scheme.name.startsWith(lane.schemePrefix()))
            mine.push_back(std::move(stored));
    return mine;
}

struct SchemeFields {
    QString name;
    QString content;
    int month = 1;
    int day = 1;
    bool monthly = false;
    int calendar = 0;

    QString rule() const { return monthly ? TwoDigitText(day) : TwoDigitText(month) + TwoDigitText(day); }
    Scheme scheme() const { return {name, content, rule(), calendar}; }
    Row row() const { return SchemeRow(scheme()); }
};

inline SchemeFields RandomScheme(QRandomGenerator& rng, const Lane& lane)
{
    SchemeFields s;
    s.name = lane.schemePrefix() + SampleText(rng.generate()).left(40);
    s.content = SampleText(rng.generate());
    s.month = 1 + static_cast<int>(rng.bounded(12));
    s.day = 1 + static_cast<int>(rng.bounded(31));
    s.monthly = rng.bounded(2) == 1;
    s.calendar = static_cast<int>(rng.bounded(2));
    return s;
}

inline Options ParseOptions(const QStringList& args)
{
    if (args.size() < 4)
        Die(QStringLiteral("usage: <exeDir> <log> <seed> [--lane N] [--ops N] [--workload backups]"));
    Options options;
    options.exeDir = args[1];
    options.logPath = args[2];
    options.seed = args[3].toUInt();
    for (qsizetype i = 4; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--lane")
            options.lane = args[i + 1].toInt();
        else if (args[i] == u"--ops")
            options.ops = args[i + 1].toLongLong();
        else if (args[i] == u"--workload")
            options.workload = args[i + 1];
    }
    return options;
}

template <class Workload> int RunWorkload(const Options& options)
{
    SideLog log(options.logPath);
    if (!log.isOpen())
        Die(QStringLiteral("cannot write %1").arg(options.logPath));
    try {
        Workload workload(options, log);
        std::printf("ready\n");
        std::fflush(stdout);
        for (qint64 n = 0; options.ops == kNoLimit || n < options.ops; ++n)
            workload.step();
    } catch (const DatabaseError& error) {
        Die(QStringLiteral("DatabaseError %1: %2").arg(error.code()).arg(QString::fromUtf8(error.what())));
    }
    return 0;
}

} // namespace jotrak::reliability
