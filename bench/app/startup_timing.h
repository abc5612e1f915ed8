#pragma once

// The one measure of every start-up row: from exec until today's line is painted
// in the window that stays, on the screen (run under xvfb-run), each run of the
// program paired with a run of the bare window (bare_window: a window of the
// same size painting one line of Chinese text) started the same way: the same
// process start, environment, Qt platform and options.

#include <benchmark/benchmark.h>

#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <string>
#include <vector>

namespace jotrak::bench {

// A folder holding the program (with its modules) and Dt with the shipped files:
// a portable program, which keeps its data beside itself.
class ProgramCopy {
public:
    ProgramCopy();

    std::string exe() const;
    QString dataDir() const;
    QString database() const;
    void removeDatabase() const;
    // Where the log remembers its last backup.
    QString backupSettings() const;
    // No backup made and none remembered: the next start makes the day's backup.
    void forgetBackups() const;

private:
    QTemporaryDir dir_;
};

struct StartupRow {
    std::vector<std::string> arguments;      // for the program and the bare window alike
    std::function<void()> beforeEachProgram; // e.g. remove the database: a first start every time
    bool sampleMemory = false;               // tree_pss_MiB after the page has had time to load
};

// Runs the pairs, one per iteration, and sets the counters: program_ms and
// minimal_ms (medians), vs_minimal (median of the ratios of the pairs: steadier
// than a ratio of medians when other work on the machine comes and goes),
// top_windows (most top-level windows one start mapped), peak_rss_MiB, and with
// sampleMemory tree_pss_MiB, minimal_pss_MiB and page_helper_ms.
void MeasureStartup(benchmark::State& state, const ProgramCopy& program, const StartupRow& row);

// Runs the program once (e.g. to seed its database), waiting quitAfterMs after start-up.
bool RunProgramOnce(const ProgramCopy& program, const std::vector<std::string>& arguments, int quitAfterMs = 1500);

} // namespace jotrak::bench
