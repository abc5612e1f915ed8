#include "settings/maxims.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// A program folder whose Dt/gey.txt holds `lines` GBK maxims of about 40 bytes.
std::unique_ptr<QTemporaryDir> MakeProgramDir(int lines)
{
    auto dir = std::make_unique<QTemporaryDir>();
    QDir(dir->path()).mkdir(QStringLiteral("Dt"));
    const QByteArray line = QByteArray::fromHex("d2b5beabd3dac7da").repeated(5) + "\r\n";
    QFile file(dir->filePath(QStringLiteral("Dt/gey.txt")));
    if (file.open(QIODevice::WriteOnly))
        file.write(line.repeated(lines));
    return dir;
}

void LoadMaximFile(benchmark::State& state)
{
    const auto dir = MakeProgramDir(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        jotrak::MaximList list;
        jotrak::LoadMaxims(list, dir->path());
        benchmark::DoNotOptimize(list.lines.data());
    }
    state.SetLabel(std::to_string(state.range(0)) + " lines");
}
// A typical file, and one at the 4 MiB read limit.
BENCHMARK(LoadMaximFile)->Arg(100)->Arg(100'000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
