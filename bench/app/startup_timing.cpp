#include "app/startup_timing.h"

#include "app/top_level_windows.h"
#include "support/program_files.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

#include <dirent.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace jotrak::bench {

namespace {

using testsupport::TopLevelWindows;
using Clock = std::chrono::steady_clock;

constexpr double kFinalAfterSeconds = 1.0; // a window mapped this long without change is final
constexpr int kQuitAfterMs = 1200;         // after start-up: time enough to see the window stay
constexpr int kSettleMs = 2500;            // with memory sampled: after the line is painted

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
// the program has settled when asked to, and waits for its exit.
Run RunOnScreen(const std::string& exe, const std::vector<std::string>& extraArguments, bool sampleMemory)
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
    const int quitAfterMs = sampleMemory ? kSettleMs + 500 : kQuitAfterMs;
    std::vector<std::string> arguments = {exe, "--report-paint", "--quit-after-startup", std::to_string(quitAfterMs)};
    arguments.insert(arguments.end(), extraArguments.begin(), extraArguments.end());
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
        if (sampleMemory && firstPaint >= 0 && run.helperSeconds == 0 && ProcessTree(pid).size() > 1)
            run.helperSeconds = now;
        if (sampleMemory && firstPaint >= 0 && !sampled && now >= firstPaint + kSettleMs / 1000.0) {
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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

ProgramCopy::ProgramCopy()
{
    testsupport::CopyProgramFiles(QStringLiteral(JOTRAK_BIN_DIR), dir_.path());
}

std::string ProgramCopy::exe() const
{
    return dir_.filePath(QStringLiteral("jotrak")).toStdString();
}

QString ProgramCopy::dataDir() const
{
    return dir_.filePath(QStringLiteral("Dt"));
}

QString ProgramCopy::database() const
{
    return dir_.filePath(QStringLiteral("Dt/db.mdb"));
}

void ProgramCopy::removeDatabase() const
{
    for (const char* suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(database() + QString::fromUtf8(suffix));
}

QString ProgramCopy::backupSettings() const
{
    return dir_.filePath(QStringLiteral("Dt/backup.ini"));
}

void ProgramCopy::forgetBackups() const
{
    QDir(dir_.filePath(QStringLiteral("Dt/backup"))).removeRecursively();
    QFile::remove(backupSettings());
}

bool RunProgramOnce(const ProgramCopy& program, const std::vector<std::string>& arguments, int quitAfterMs)
{
    std::vector<std::string> all = arguments;
    all.insert(all.begin(), {"--quit-after-startup", std::to_string(quitAfterMs)});
    // a later --quit-after-startup wins over the one RunOnScreen gives
    return RunOnScreen(program.exe(), all, false).exitCode == 0;
}

void MeasureStartup(benchmark::State& state, const ProgramCopy& program, const StartupRow& row)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs a screen: run under xvfb-run -a");
        return;
    }
    std::vector<double> programTimes, bareTimes, ratios;
    double peak = 0, pss = 0, helper = 0, barePss = 0;
    int windows = 0;
    for (auto _ : state) {
        const Run bare = RunOnScreen(BinFile("bare_window"), row.arguments, row.sampleMemory);
        if (row.beforeEachProgram)
            row.beforeEachProgram();
        const Run run = RunOnScreen(program.exe(), row.arguments, row.sampleMemory);
        if (!bare.final || !run.final || run.exitCode != 0) {
            state.SkipWithError("a run painted no line in a window that stayed, or did not exit with 0");
            return;
        }
        state.SetIterationTime(run.todaySeconds);
        programTimes.push_back(run.todaySeconds);
        bareTimes.push_back(bare.todaySeconds);
        ratios.push_back(run.todaySeconds / bare.todaySeconds);
        peak = std::max(peak, run.peakRssMiB);
        pss += run.treePssMiB;
        barePss += bare.treePssMiB;
        helper += run.helperSeconds;
        windows = std::max(windows, run.topWindows);
    }
    const double runs = static_cast<double>(programTimes.size());
    state.counters["program_ms"] = 1000.0 * Median(programTimes);
    state.counters["minimal_ms"] = 1000.0 * Median(bareTimes);
    state.counters["vs_minimal"] = Median(ratios);
    state.counters["top_windows"] = windows;
    state.counters["peak_rss_MiB"] = peak;
    if (row.sampleMemory) {
        state.counters["tree_pss_MiB"] = pss / runs;
        state.counters["minimal_pss_MiB"] = barePss / runs;
        state.counters["page_helper_ms"] = 1000.0 * helper / runs;
    }
}

} // namespace jotrak::bench
