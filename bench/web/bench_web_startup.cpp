// What the user waits for on a real screen (run under xvfb-run): the time from
// exec until today's line is painted in the window that stays, for the program
// on a seeded database with its web engine turned off (--no-start-page)
// and on, against a bare Qt window of the same size showing one line of Chinese
// text (minimal_window --with-text). Each iteration runs the bare window and then
// the program, so both see the same load.
//
// The top-level windows are watched on the X server. A window is final once it
// has stayed mapped for a second; the figure is the first paint of the line in
// the final window (both programs name the window they painted in), never a
// window that is later replaced. Counters:
//   program_ms      median time of the program
//   minimal_ms      median time of the bare window
//   vs_minimal      median of the ratios of the pairs (program / bare window run
//                   right before it): steadier than a ratio of medians when other
//                   work on the machine comes and goes
//   top_windows     most top-level windows one start of the program mapped
//   peak_rss_MiB    largest resident size of the program's own process (wait4)
//   tree_pss_MiB    proportional memory of the program and all its helper
//                   processes, taken once the page has had time to load
//   minimal_pss_MiB the same for the bare window
//   page_helper_ms  (engine on) time from exec until the engine's first helper
//                   process exists: the engine starts after the window is shown
// BM_ProgramBackupDue: engine off, with the day's backup due at every start (no
// backup made and none remembered); it starts after the first paint, so the
// figures should match BM_ProgramEngineOff, where the first run made it.
#include "support/program_files.h"
#include "web/top_level_windows.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using jotrak::testsupport::TopLevelWindows;
using Clock = std::chrono::steady_clock;

constexpr double kFinalAfterSeconds = 1.0; // a window mapped this long without change is final
constexpr int kSettleMs = 2500;            // after the line is painted, before memory is taken
constexpr int kQuitAfterMs = kSettleMs + 500;

struct Run {
    double todaySeconds = 0; // exec to the line painted in the final window
    double helperSeconds = 0;
    double peakRssMiB = 0;
    double treePssMiB = 0;
    int topWindows = 0;
    bool final = false;
    int exitCode = -1;
};

std::map<pid_t, pid_t> ParentsOfAllProcesses()
{
    std::map<pid_t, pid_t> parents;
    DIR* proc = opendir("/proc");
    if (!proc)
        return parents;
    while (dirent* entry = readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        if (pid <= 0)
            continue;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            continue;
        const auto close = line.rfind(')');
        if (close == std::string::npos)
            continue;
        std::istringstream rest(line.substr(close + 2));
        char state = 0;
        pid_t parent = 0;
        rest >> state >> parent;
        parents[pid] = parent;
    }
    closedir(proc);
    return parents;
}

std::vector<pid_t> ProcessTree(pid_t root)
{
    const auto parents = ParentsOfAllProcesses();
    std::vector<pid_t> tree{root};
    for (std::size_t i = 0; i < tree.size(); ++i) {
        for (const auto& [pid, parent] : parents) {
            if (parent == tree[i])
                tree.push_back(pid);
        }
    }
    return tree;
}

double PssMiB(pid_t pid)
{
    std::ifstream rollup("/proc/" + std::to_string(pid) + "/smaps_rollup");
    std::string key;
    double kib = 0;
    while (rollup >> key) {
        if (key == "Pss:") {
            rollup >> kib;
            return kib / 1024.0;
        }
        rollup.ignore(1 << 20, '\n');
    }
    return 0;
}

double TreePssMiB(pid_t root)
{
    double total = 0;
    for (pid_t pid : ProcessTree(root))
        total += PssMiB(pid);
    return total;
}

// Starts exe on the current screen, notes every paint of today's line with the
// window it was painted in, watches the top-level windows, samples memory once
// the program has settled, and waits for its exit.
Run RunOnScreen(const std::string& exe, const char* argument, bool engineOff)
{
    TopLevelWindows& windows = TopLevelWindows::OfScreen();
    if (!windows.connected())
        return {};
    windows.clear(0);
    std::vector<std::string> env = {"QT_QPA_PLATFORM=xcb", "HOME=" + QDir::homePath().toStdString(),
                                    "XDG_RUNTIME_DIR=" + QDir::tempPath().toStdString()};
    for (const char* name : {"PATH", "DISPLAY", "XAUTHORITY"}) {
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments = {exe, "--report-paint", "--quit-after-startup", std::to_string(kQuitAfterMs)};
    if (argument)
        arguments.emplace_back(argument);
    if (engineOff)
        arguments.emplace_back("--no-start-page");
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        execve(exe.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);

    Run run;
    std::string seen;
    std::vector<std::pair<double, std::uint32_t>> paints; // today's line: when, in which window
    double firstPaint = -1;
    bool sampled = false;
    double now = 0;
    for (;;) {
        pollfd p[2] = {{fds[0], POLLIN, 0}, {windows.descriptor(), POLLIN, 0}};
        poll(p, 2, 20);
        now = std::chrono::duration<double>(Clock::now() - start).count();
        windows.take(now);
        if (firstPaint >= 0 && run.helperSeconds == 0 && ProcessTree(pid).size() > 1)
            run.helperSeconds = now;
        if (firstPaint >= 0 && !sampled && now >= firstPaint + kSettleMs / 1000.0) {
            run.treePssMiB = TreePssMiB(pid);
            sampled = true;
        }
        if (!(p[0].revents & (POLLIN | POLLHUP)))
            continue;
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        seen.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t end; (end = seen.find('\n')) != std::string::npos; seen.erase(0, end + 1)) {
            const std::string line = seen.substr(0, end);
            if (line.rfind("JOTRAK_TODAY 0x", 0) == 0) {
                // the program's own time of the paint: a busy machine may read the line late
                std::istringstream fields(line.substr(13));
                std::uint32_t id = 0;
                long long micros = 0;
                fields >> std::hex >> id >> std::dec >> micros;
                const double at =
                    std::chrono::duration<double>(std::chrono::microseconds(micros) - start.time_since_epoch()).count();
                paints.emplace_back(micros > 0 ? at : now, id);
                if (firstPaint < 0)
                    firstPaint = now;
            }
        }
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    now = std::chrono::duration<double>(Clock::now() - start).count();
    windows.take(now);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    run.topWindows = windows.count();

    if (const TopLevelWindows::Span* final = windows.final(now, kFinalAfterSeconds)) {
        for (const auto& [when, id] : paints) {
            if (id == final->id) {
                run.todaySeconds = std::max(when, final->mapped);
                run.final = true;
                break;
            }
        }
    }
    return run;
}

std::string BinFile(const char* name)
{
    return QDir(QStringLiteral(JOTRAK_BIN_DIR)).filePath(QString::fromUtf8(name)).toStdString();
}

// A copy of the program with the delivered Dt files and a database seeded by a first run.
class ProgramCopy {
public:
    ProgramCopy()
    {
        jotrak::testsupport::CopyProgramFiles(QStringLiteral(JOTRAK_BIN_DIR), dir_.path());
        RunOnScreen(exe(), nullptr, true);
    }

    std::string exe() const { return dir_.filePath(QStringLiteral("jotrak")).toStdString(); }

    // No backup made and none remembered: the next start makes the day's backup.
    void forgetBackups() const
    {
        QDir(dir_.filePath(QStringLiteral("Dt/backup"))).removeRecursively();
        QFile::remove(dir_.filePath(QStringLiteral("Dt/backup.ini")));
    }

private:
    QTemporaryDir dir_;
};

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void MeasureProgram(benchmark::State& state, bool engineOff, bool backupDue = false)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs a screen: run under xvfb-run -a");
        return;
    }
    ProgramCopy copy;
    std::vector<double> program, minimal, ratios;
    double peak = 0, pss = 0, helper = 0, minimalPss = 0;
    int windows = 0;
    for (auto _ : state) {
        const Run bare = RunOnScreen(BinFile("minimal_window"), "--with-text", true);
        if (backupDue)
            copy.forgetBackups();
        const Run run = RunOnScreen(copy.exe(), nullptr, engineOff);
        if (!bare.final || !run.final || run.exitCode != 0) {
            state.SkipWithError("a run painted no line in a window that stayed, or did not exit with 0");
            return;
        }
        state.SetIterationTime(run.todaySeconds);
        program.push_back(run.todaySeconds);
        minimal.push_back(bare.todaySeconds);
        ratios.push_back(run.todaySeconds / bare.todaySeconds);
        peak = std::max(peak, run.peakRssMiB);
        pss += run.treePssMiB;
        minimalPss += bare.treePssMiB;
        helper += run.helperSeconds;
        windows = std::max(windows, run.topWindows);
    }
    const double runs = static_cast<double>(program.size());
    state.counters["program_ms"] = 1000.0 * Median(program);
    state.counters["minimal_ms"] = 1000.0 * Median(minimal);
    state.counters["vs_minimal"] = Median(ratios);
    state.counters["top_windows"] = windows;
    state.counters["peak_rss_MiB"] = peak;
    state.counters["tree_pss_MiB"] = pss / runs;
    state.counters["minimal_pss_MiB"] = minimalPss / runs;
    if (!engineOff)
        state.counters["page_helper_ms"] = 1000.0 * helper / runs;
}

void BM_ProgramEngineOff(benchmark::State& state)
{
    MeasureProgram(state, true);
}

void BM_ProgramEngineOn(benchmark::State& state)
{
    MeasureProgram(state, false);
}

void BM_ProgramBackupDue(benchmark::State& state)
{
    MeasureProgram(state, true, true);
}

} // namespace

BENCHMARK(BM_ProgramEngineOff)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_ProgramEngineOn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);
BENCHMARK(BM_ProgramBackupDue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(9);

BENCHMARK_MAIN();
