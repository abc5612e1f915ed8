// What the start page costs the program on a real screen (run under xvfb-run):
// time from process start to the main window's first paint, and memory, for a
// bare Qt window of the same size (minimal_window), the program with its web
// engine turned off (JOTRAK_NO_WEBENGINE=1) and the program with the engine on.
// Each iteration runs the bare window and then the program, so both see the same
// load. Counters:
//   minimal_ms      the paired bare window's time to first paint
//   vs_minimal      ratio of the sums of the program's and the bare window's times
//   peak_rss_MiB    largest resident size of the program's own process (wait4)
//   tree_pss_MiB    proportional memory of the program and all its helper
//                   processes, taken once the page has had time to load
//   minimal_pss_MiB the same for the bare window
//   page_helper_ms  (engine on) time from process start until the engine's first
//                   helper process exists: the engine has started after the paint
#include "support/program_files.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <chrono>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSettleMs = 2500; // after the first paint, before memory is taken
constexpr int kQuitAfterMs = kSettleMs + 500;

struct Run {
    double shownSeconds = 0;
    double helperSeconds = 0;
    double peakRssMiB = 0;
    double treePssMiB = 0;
    bool shown = false;
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

// Starts exe on the current screen, notes the first-paint marker on standard
// error, samples memory once the program has settled, and waits for its exit.
Run RunOnScreen(const std::string& exe, bool engineOff)
{
    std::vector<std::string> env = {
        "QT_QPA_PLATFORM=xcb", "JOTRAK_REPORT_SHOWN=1", "JOTRAK_QUIT_AFTER_STARTUP_MS=" + std::to_string(kQuitAfterMs),
        "HOME=" + QDir::homePath().toStdString(), "XDG_RUNTIME_DIR=" + QDir::tempPath().toStdString()};
    for (const char* name : {"PATH", "DISPLAY", "XAUTHORITY"}) {
        if (const char* value = std::getenv(name))
            env.push_back(std::string(name) + "=" + value);
    }
    if (engineOff)
        env.emplace_back("JOTRAK_NO_WEBENGINE=1");
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = exe;
    char* argv[] = {program.data(), nullptr};

    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        close(fds[1]);
        execve(program.c_str(), argv, envp.data());
        _exit(127);
    }
    close(fds[1]);

    Run run;
    std::string seen;
    bool sampled = false;
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = poll(&p, 1, 20);
        const double now = std::chrono::duration<double>(Clock::now() - start).count();
        if (run.shown && run.helperSeconds == 0 && ProcessTree(pid).size() > 1)
            run.helperSeconds = now;
        if (run.shown && !sampled && now >= run.shownSeconds + kSettleMs / 1000.0) {
            run.treePssMiB = TreePssMiB(pid);
            sampled = true;
        }
        if (ready <= 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(fds[0], buffer, sizeof buffer);
        if (n <= 0)
            break;
        if (!run.shown) {
            seen.append(buffer, static_cast<std::size_t>(n));
            if (seen.find("JOTRAK_SHOWN") != std::string::npos) {
                run.shownSeconds = now;
                run.shown = true;
            }
        }
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.peakRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

std::string BinFile(const char* name)
{
    return QDir(QStringLiteral(JOTRAK_BIN_DIR)).filePath(QString::fromUtf8(name)).toStdString();
}

// A copy of the program with the delivered Dt files and a database made by a first run.
class ProgramCopy {
public:
    ProgramCopy()
    {
        jotrak::testsupport::CopyProgramFiles(QStringLiteral(JOTRAK_BIN_DIR), dir_.path());
        RunOnScreen(exe(), true);
    }

    std::string exe() const { return dir_.filePath(QStringLiteral("jotrak")).toStdString(); }

private:
    QTemporaryDir dir_;
};

void MeasureProgram(benchmark::State& state, bool engineOff)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("needs a screen: run under xvfb-run -a");
        return;
    }
    ProgramCopy copy;
    double program = 0, minimal = 0, peak = 0, pss = 0, helper = 0, minimalPss = 0;
    int runs = 0;
    for (auto _ : state) {
        const Run bare = RunOnScreen(BinFile("minimal_window"), true);
        const Run run = RunOnScreen(copy.exe(), engineOff);
        if (!bare.shown || !run.shown || run.exitCode != 0) {
            state.SkipWithError("a run did not show its window or did not exit with 0");
            return;
        }
        state.SetIterationTime(run.shownSeconds);
        program += run.shownSeconds;
        minimal += bare.shownSeconds;
        peak = std::max(peak, run.peakRssMiB);
        pss += run.treePssMiB;
        minimalPss += bare.treePssMiB;
        helper += run.helperSeconds;
        ++runs;
    }
    state.counters["minimal_ms"] = 1000.0 * minimal / runs;
    state.counters["vs_minimal"] = minimal > 0 ? program / minimal : 0;
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

} // namespace

BENCHMARK(BM_ProgramEngineOff)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_ProgramEngineOn)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

BENCHMARK_MAIN();
