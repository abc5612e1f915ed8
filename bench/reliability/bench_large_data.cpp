// The program on twenty years of use (146 100 day items, see large_database.h):
// start-up to the window shown against the bare Qt window in the same run,
// listing a day, the day's reminders, and both exports. Nothing of these should
// grow with the size of the database. Counter peak_rss_MiB: the largest resident
// size (of the started program for the start-up, of this process otherwise).
#include "large_database.h"

#include "app/commands.h"
#include "app/day_reminders.h"
#include "app/main_layout.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "data/record_access.h"
#include "export/excel_export.h"
#include "export/text_export.h"
#include "shell/app_context.h"
#include "shell/data_folder.h"
#include "shell/message_box.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>

#include <memory>

#include <sys/resource.h>
#include <unistd.h>

using namespace jotrak;

namespace {

const QString kBusyDay = QStringLiteral("20300615");

double PeakRssMiB(int who)
{
    rusage usage{};
    getrusage(who, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Milliseconds from the start of a program to its "JOTRAK_SHOWN" line; -1 when
// it never came or the program did not end with 0.
double MillisecondsUntilShown(const QString& program)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("JOTRAK_REPORT_SHOWN"), QStringLiteral("1"));
    env.insert(QStringLiteral("JOTRAK_QUIT_AFTER_STARTUP_MS"), QStringLiteral("100"));
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    double shown = -1;
    QByteArray seen;
    while (shown < 0 && process.waitForReadyRead(30000)) {
        seen += process.readAllStandardError();
        if (seen.contains("JOTRAK_SHOWN"))
            shown = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    }
    process.waitForFinished(30000);
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? shown : -1;
}

// A folder with the program (hard-linked: it finds Dt beside itself) and the
// twenty-year database: a portable program.
class ProgramOnLargeDatabase {
public:
    ProgramOnLargeDatabase()
    {
        const QDir bin(QStringLiteral(JOTRAK_BIN_DIR));
        if (::link(QFile::encodeName(bin.filePath(QStringLiteral("jotrak"))).constData(),
                   QFile::encodeName(exe()).constData()) != 0)
            QFile::copy(bin.filePath(QStringLiteral("jotrak")), exe());
        QDir(dir_.path()).mkpath(QStringLiteral("Dt"));
        const QDir shipped(ShippedFilesDir(bin.path()));
        for (const QString& name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), dir_.filePath(QStringLiteral("Dt/") + name));
        QFile::copy(bench::TwentyYearDatabase(), dir_.filePath(QStringLiteral("Dt/db.mdb")));
    }
    QString exe() const { return dir_.filePath(QStringLiteral("jotrak")); }

private:
    QTemporaryDir dir_;
};

// Start-up on twenty years, each run paired with a run of the bare window.
void StartupOnTwentyYears(benchmark::State& state)
{
    ProgramOnLargeDatabase program;
    const QString minimal = QDir(QStringLiteral(JOTRAK_BIN_DIR)).filePath(QStringLiteral("minimal_window"));
    double programMs = 0;
    double minimalMs = 0;
    for (auto _ : state) {
        const double bare = MillisecondsUntilShown(minimal);
        const double run = MillisecondsUntilShown(program.exe());
        if (bare < 0 || run < 0) {
            state.SkipWithError("a run did not show its window or did not exit with 0");
            return;
        }
        state.SetIterationTime(run / 1000.0);
        programMs += run;
        minimalMs += bare;
    }
    state.counters["minimal_ms"] = minimalMs / static_cast<double>(state.iterations());
    state.counters["vs_minimal"] = programMs / minimalMs;
    state.counters["peak_rss_MiB"] = PeakRssMiB(RUSAGE_CHILDREN);
}
BENCHMARK(StartupOnTwentyYears)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The program after start-up on a copy of the twenty-year database, minus the web page.
struct Program {
    QTemporaryDir dir;
    AppContext context;
    std::unique_ptr<MainWindow> window;

    Program()
    {
        testing::MessageBoxSeam::Enable();
        QDir(dir.path()).mkpath(QStringLiteral("Dt"));
        QFile::copy(bench::TwentyYearDatabase(), dir.filePath(QStringLiteral("Dt/db.mdb")));
        window = std::make_unique<MainWindow>();
        window->show();
        InitAppContext(dir.path(), PortableDataFolder(dir.path()));
        BuildGoalPanel();
        BuildItemPanel();
        App().WebPaneShown = 1;
        App().DayKeyEdit->setText(kBusyDay);
    }
};

Program& TheProgram()
{
    static Program* program = new Program;
    return *program;
}

void Finish(benchmark::State& state)
{
    state.counters["peak_rss_MiB"] = PeakRssMiB(RUSAGE_SELF);
    if (!testing::MessageBoxSeam::Shown().isEmpty())
        state.SkipWithError(qPrintable(testing::MessageBoxSeam::Shown().first().text));
}

// Command 118 on a day of 20 items, from the click to the painted list.
void ListADayOfTwentyYears(benchmark::State& state)
{
    Program& program = TheProgram();
    auto* dayItems = program.window->findChild<QPushButton*>(QStringLiteral("btn118"));
    for (auto _ : state) {
        dayItems->click();
        App().ItemList->repaint();
    }
    if (App().ItemList->rowCount() != bench::kItemsPerDay)
        state.SkipWithError("the day does not list its 20 items");
    Finish(state);
}
BENCHMARK(ListADayOfTwentyYears)->Unit(benchmark::kMillisecond);

// Command 116's reminders of the day, among 1000 schemes.
void DayRemindersOfTwentyYears(benchmark::State& state)
{
    TheProgram();
    for (auto _ : state)
        ShowDayReminders();
    Finish(state);
}
BENCHMARK(DayRemindersOfTwentyYears)->Unit(benchmark::kMillisecond);

// All 7305 day goals as text.
void TextExportOfTwentyYears(benchmark::State& state)
{
    TheProgram();
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const ExportResult result =
            ExportGoalsAsText(App().connection, Table::Ri, QStringLiteral("20171231"), QStringLiteral("20380101"), out);
        if (!result) {
            state.SkipWithError(qPrintable(result.message));
            return;
        }
        bytes = out.size();
    }
    state.counters["file_MiB"] = static_cast<double>(bytes) / (1 << 20);
    Finish(state);
}
BENCHMARK(TextExportOfTwentyYears)->Unit(benchmark::kMillisecond);

// 3000 days of items, 60 000 rows, into the delivered template.
void ExcelExport60000ItemsOfTwentyYears(benchmark::State& state)
{
    TheProgram();
    const QString templatePath =
        QDir(ShippedFilesDir(QStringLiteral(JOTRAK_BIN_DIR))).filePath(QStringLiteral("1.xls"));
    const QDate first(2018, 1, 1);
    const QString toKey = first.addDays(2999).toString(QStringLiteral("yyyyMMdd"));
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        const ExportResult result = ExportItemsToExcel(App().connection, Table::Ri, QStringLiteral("20180101"), toKey,
                                                       kExportAllItems, templatePath, out);
        if (!result) {
            state.SkipWithError(qPrintable(result.message));
            return;
        }
        bytes = out.size();
    }
    state.counters["file_MiB"] = static_cast<double>(bytes) / (1 << 20);
    Finish(state);
}
BENCHMARK(ExcelExport60000ItemsOfTwentyYears)->Unit(benchmark::kMillisecond);

} // namespace
