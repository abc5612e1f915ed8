// Time from process start to the main window's first paint (which holds the
// whole window, today's line included), for the program on an empty Dt (first
// start: the database is created and seeded) and on a database holding ten years
// of goals and items, each run paired with a run of a bare Qt window of the same
// size with one line of Chinese text (minimal_window --with-text) so both see
// the same load. Offscreen: the real screen is measured by bench_web_startup.
// Counters: minimal_ms (the paired bare window), vs_minimal (ratio of the
// sums), ready_ms (once both the end of the start-up sequence, which runs before
// the first paint, and the first paint are reported), peak_rss_MiB (largest resident size of one program run, from
// wait4). BM_TenYearBackupDue runs the program on the ten-year database in
// pairs, with the day's backup made already and due (none made, none
// remembered), each pair in either order: the backup starts after the first
// paint, so due_vs_made, the median of the ratios of the pairs, should be 1.
#include "data/keys.h"
#include "data/record_access.h"
#include "data/seed.h"

#include "support/program_files.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace jotrak;

namespace {

struct Run {
    double seconds = 0;      // spawn to the shown marker
    double readySeconds = 0; // spawn to the end of start-up (0 when not reported)
    double maxRssMiB = 0;
    bool shown = false;
    int exitCode = -1;
};

// Starts exe offscreen, waits for the shown marker on standard error and for the
// exit, which comes quitAfterMs after start-up.
Run RunUntilShown(const std::string& exe, const char* argument = nullptr, int quitAfterMs = 100)
{
    std::vector<std::string> env = {"QT_QPA_PLATFORM=offscreen", "HOME=" + QDir::homePath().toStdString(),
                                    "XDG_RUNTIME_DIR=" + QDir::tempPath().toStdString()};
    if (const char* path = std::getenv("PATH"))
        env.push_back(std::string("PATH=") + path);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> arguments = {exe, "--report-paint", "--quit-after-startup", std::to_string(quitAfterMs)};
    if (argument)
        arguments.emplace_back(argument);
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0)
        return {};
    const auto start = std::chrono::steady_clock::now();
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
    char buffer[4096];
    ssize_t n = 0;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        if (run.readySeconds > 0)
            continue; // drain the rest
        seen.append(buffer, static_cast<std::size_t>(n));
        const double now = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!run.shown && seen.find("JOTRAK_SHOWN") != std::string::npos) {
            run.seconds = now;
            run.shown = true;
        }
        if (run.shown && seen.find("JOTRAK_READY") != std::string::npos)
            run.readySeconds = now;
    }
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxRssMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return run;
}

std::string BinFile(const char* name)
{
    return QDir(QStringLiteral(JOTRAK_BIN_DIR)).filePath(QString::fromUtf8(name)).toStdString();
}

// A folder holding a copy of the program and the delivered Dt files, without a database.
class ProgramCopy {
public:
    ProgramCopy() { testsupport::CopyProgramFiles(QStringLiteral(JOTRAK_BIN_DIR), dir_.path()); }

    std::string exe() const { return dir_.filePath(QStringLiteral("jotrak")).toStdString(); }
    QString database() const { return dir_.filePath(QStringLiteral("Dt/db.mdb")); }

    void removeDatabase() const
    {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            QFile::remove(database() + QString::fromUtf8(suffix));
    }

    // Where the log remembers its last backup.
    QString settings() const { return dir_.filePath(QStringLiteral("Dt/backup.ini")); }
    // No backup made and none remembered: the next start makes the day's backup.
    void forgetBackups() const
    {
        QDir(dir_.filePath(QStringLiteral("Dt/backup"))).removeRecursively();
        QFile::remove(settings());
    }

private:
    QTemporaryDir dir_;
};

void AddItems(ConnectionHolder& connection, Table goalTable, int goalId, int count, int serial)
{
    RecordsetHolder items;
    OpenRecordset(items, stmt::ItemsOfGoal(goalTable, goalId), connection);
    for (int i = 0; i < count; ++i) {
        AddNewRow(items);
        SetFieldValue(items, QStringLiteral("ShangId"), goalId);
        SetFieldValue(items, QStringLiteral("nr"),
                      QStringLiteral("工作事项 %1-%2:整理资料并汇报进度").arg(serial).arg(i));
        SetFieldValue(items, QStringLiteral("wcqk"), QStringLiteral("已按时完成"));
        SetFieldValue(items, QStringLiteral("IsOk"), i % 2);
        StoreRow(items);
    }
}

// Ten years (2018-2027) of goals with items: every year, month and day goal
// written, 10 items per year, 5 per month and 3 per day.
void FillTenYears(const QString& path)
{
    ConnectionHolder connection;
    CreateConnection(connection);
    OpenDatabase(connection, path);
    SeedPeriodTables(connection);
    Transaction transaction(connection);
    const struct {
        Table table;
        int keyLength;
        int itemsEach;
    } kinds[] = {{Table::Nian, 4, 10}, {Table::Yue, 6, 5}, {Table::Ri, 8, 3}};
    int serial = 0;
    for (const auto& kind : kinds) {
        RecordsetHolder goals;
        OpenRecordset(goals, stmt::SelectAll(kind.table), connection);
        for (; !IsAtEnd(goals); MoveToNext(goals)) {
            const QString key = GetFieldValue(goals, QStringLiteral("ming")).toText();
            if (key.left(4).toInt() > 2027)
                continue;
            SetFieldValue(goals, QStringLiteral("nr"),
                          QStringLiteral("%1 的目标:完成计划中的各项工作,按时总结,保持记录。").arg(key).repeated(3));
            StoreRow(goals);
            AddItems(connection, kind.table, GetFieldValue(goals, QStringLiteral("IDME")).toInt(), kind.itemsEach,
                     ++serial);
        }
    }
    transaction.commit();
}

void Report(benchmark::State& state, double programSeconds, double minimalSeconds, double peakMiB, int runs,
            double readySeconds)
{
    state.counters["ready_ms"] = 1000.0 * readySeconds / runs;
    state.counters["minimal_ms"] = 1000.0 * minimalSeconds / runs;
    state.counters["vs_minimal"] = minimalSeconds > 0 ? programSeconds / minimalSeconds : 0;
    state.counters["peak_rss_MiB"] = peakMiB;
}

// One paired measurement: the bare window, then the program.
bool MeasurePair(benchmark::State& state, const std::string& exe, double& program, double& minimal, double& peak,
                 double& ready)
{
    const Run bare = RunUntilShown(BinFile("minimal_window"), "--with-text");
    const Run run = RunUntilShown(exe);
    if (!bare.shown || !run.shown || run.exitCode != 0) {
        state.SkipWithError("a run did not show its window or did not exit with 0");
        return false;
    }
    state.SetIterationTime(run.seconds);
    program += run.seconds;
    ready += run.readySeconds;
    minimal += bare.seconds;
    peak = std::max(peak, run.maxRssMiB);
    return true;
}

void BM_MinimalWindow(benchmark::State& state)
{
    double peak = 0;
    for (auto _ : state) {
        const Run run = RunUntilShown(BinFile("minimal_window"), state.range(0) ? "--with-text" : nullptr);
        if (!run.shown) {
            state.SkipWithError("the bare window did not report");
            return;
        }
        state.SetIterationTime(run.seconds);
        peak = std::max(peak, run.maxRssMiB);
    }
    state.counters["peak_rss_MiB"] = peak;
}

void BM_FirstStartEmptyDt(benchmark::State& state)
{
    ProgramCopy copy;
    double program = 0, minimal = 0, peak = 0, ready = 0;
    int runs = 0;
    for (auto _ : state) {
        copy.removeDatabase();
        if (!MeasurePair(state, copy.exe(), program, minimal, peak, ready))
            return;
        ++runs;
    }
    Report(state, program, minimal, peak, runs, ready);
}

void BM_TenYearDatabase(benchmark::State& state)
{
    ProgramCopy copy;
    FillTenYears(copy.database());
    double program = 0, minimal = 0, peak = 0, ready = 0;
    int runs = 0;
    for (auto _ : state) {
        if (!MeasurePair(state, copy.exe(), program, minimal, peak, ready))
            return;
        ++runs;
    }
    Report(state, program, minimal, peak, runs, ready);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void BM_TenYearBackupDue(benchmark::State& state)
{
    ProgramCopy copy;
    FillTenYears(copy.database());
    RunUntilShown(copy.exe(), nullptr, 3000); // time enough to make the day's backup
    QFile remembered(copy.settings());
    if (!remembered.open(QIODevice::ReadOnly)) {
        state.SkipWithError("the first run remembered no backup");
        return;
    }
    const QByteArray madeToday = remembered.readAll();
    std::vector<double> made, due, ratios;
    auto runWithBackupMade = [&] {
        copy.forgetBackups();
        QFile settings(copy.settings());
        if (!settings.open(QIODevice::WriteOnly) || settings.write(madeToday) != madeToday.size())
            return Run{};
        settings.close();
        return RunUntilShown(copy.exe());
    };
    auto runWithBackupDue = [&] {
        copy.forgetBackups();
        return RunUntilShown(copy.exe());
    };
    for (auto _ : state) {
        // in turns, which goes first
        const bool dueFirst = made.size() % 2 == 1;
        const Run first = dueFirst ? runWithBackupDue() : runWithBackupMade();
        const Run second = dueFirst ? runWithBackupMade() : runWithBackupDue();
        const Run& withBackupMade = dueFirst ? second : first;
        const Run& withBackupDue = dueFirst ? first : second;
        if (!withBackupMade.shown || !withBackupDue.shown || withBackupDue.exitCode != 0) {
            state.SkipWithError("a run did not show its window or did not exit with 0");
            return;
        }
        state.SetIterationTime(withBackupDue.seconds);
        made.push_back(withBackupMade.seconds);
        due.push_back(withBackupDue.seconds);
        ratios.push_back(withBackupDue.seconds / withBackupMade.seconds);
    }
    state.counters["made_ms"] = 1000.0 * Median(made);
    state.counters["due_ms"] = 1000.0 * Median(due);
    state.counters["due_vs_made"] = Median(ratios);
}

} // namespace

// Arg 1: the bare window with one line of Chinese text.
BENCHMARK(BM_MinimalWindow)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_FirstStartEmptyDt)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_TenYearDatabase)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_TenYearBackupDue)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

BENCHMARK_MAIN();
