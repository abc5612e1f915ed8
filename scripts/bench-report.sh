#!/usr/bin/env bash
# Builds Jotrak with its benchmarks, runs every benchmark program (<build>/bin/bench_*)
# and prints one table: operation, figure, target, met or not, peak memory.
# Every start-up row (bench_startup) is measured one way: on the screen, until
# today's line is painted in the window that stays, each run paired with a run of
# one bare window (the same size, one line of Chinese text, started the same way);
# the figure is the median of the ratios of 20 pairs, with both medians and the
# number of top-level windows a start made. The other targets are times on this
# machine.
#   BUILD_DIR   build folder (default: build)
#   NO_BUILD=1  use the programs already built
#   BENCH_FILTER=regex   only the benchmarks whose name matches (Google Benchmark filter)
#   STRICT=1    exit with 1 when a target is missed
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${BUILD_DIR:-build}

if [ "${NO_BUILD:-0}" != 1 ]; then
  ./scripts/install-deps.sh
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DJOTRAK_BUILD_BENCH=ON
  cmake --build "$build_dir" -j "$(nproc)"
fi

shopt -s nullglob
programs=("$build_dir"/bin/bench_*)
[ ${#programs[@]} -gt 0 ] || { echo "bench-report: no bench_* program in $build_dir/bin" >&2; exit 1; }

results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
# The start page benchmark needs a real display; a virtual one serves.
wrap=()
if [ -z "${DISPLAY:-}" ] && command -v xvfb-run > /dev/null; then
  wrap=(xvfb-run -a)
fi

for program in "${programs[@]}"; do
  name=$(basename "$program")
  echo "== $name" >&2
  # A fresh python per program: its children's peak resident size is this program's.
  /usr/bin/python3 - "$results/$name" "${wrap[@]}" "$program" \
    --benchmark_out="$results/$name.json" --benchmark_out_format=json \
    ${BENCH_FILTER:+--benchmark_filter="$BENCH_FILTER"} <<'EOF' >&2 || echo "bench-report: $name failed" >&2
import resource, subprocess, sys
code = subprocess.call(sys.argv[2:])
with open(sys.argv[1] + ".rss", "w") as f:
    f.write(str(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024.0))
sys.exit(code)
EOF
done

/usr/bin/python3 - "$results" "${STRICT:-0}" <<'EOF'
import glob, json, os, re, sys

results, strict = sys.argv[1], sys.argv[2] == "1"

# (benchmark name pattern, what is compared, limit, target text)
TARGETS = [
    (r"^BM_SeedOnly$", "ms", 50, "< 50 ms"),
    (r"^LunarDateOfEveryDay$", "ms", 100, "< 100 ms"),
    (r"^(StartupOnEmptyFolder|StartupOnTenYears|StartupOnTwentyYears|StartupEngineOn)\b", "ratio", 1.3,
     "<= 1.3 x bare window"),
    (r"^ListTenThousandItems$", "ms", 150, "< 150 ms"),
    (r"^ListADayOfTwentyYears$", "ms", 150, "< 150 ms"),
    (r"^(ShowDayRemindersWithThousandSchemes|DayRemindersOfTwentyYears)$", "ms", 20, "< 20 ms"),
    (r"^(BM_TextExportAllDayGoals|TextExportOfTwentyYears)$", "ms", 200, "< 200 ms"),
    (r"^(BM_ExcelExport60000Items|ExcelExport60000ItemsOfTwentyYears)$", "ms", 1000, "< 1 s"),
    (r"^(FirstHits|FilteredFirstHits|NotesFirstHits)/", "ms", 5, "< 5 ms"),
    (r"^HeavyFirstHits/", "ms", 10, "< 10 ms"),
    (r"^CountedWhole/", "ms", 150, "< 150 ms"),
    (r"^ReportOf/Week\b", "ms", 20, "< 20 ms"),
    (r"^ReportOf/Year\b", "ms", 300, "< 300 ms"),
    (r"^CarryItems/100\b", "ms", 50, "< 50 ms"),
    (r"^BM_StoreLongGoal/(10000|100000)/", "stop", 100, "window still < 100 ms"),
    (r"^SyncApplyADay\b", "ms", 50, "< 50 ms"),
    (r"^SyncCatchUpTenYears\b", "ms", 5000, "< 5 s"),
]
TO_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}

rows, met, missed = [], 0, 0
for path in sorted(glob.glob(os.path.join(results, "*.json"))):
    program = os.path.basename(path)[:-5]
    try:
        with open(os.path.join(results, program + ".rss")) as f:
            program_rss = float(f.read())
    except (OSError, ValueError):
        program_rss = None
    try:
        with open(path) as f:
            data = json.load(f)
    except (OSError, ValueError):
        rows.append((program, "(no result)", "", "", ""))
        continue
    for b in data.get("benchmarks", []):
        if b.get("run_type") == "aggregate":
            continue
        name = b["name"]
        operation = program + ": " + re.sub(r"/(iterations|manual_time|min_time).*$", "", name)
        if b.get("error_occurred"):
            rows.append((operation, "error: " + b.get("error_message", ""), "", "", ""))
            continue
        ms = b["real_time"] * TO_MS.get(b.get("time_unit", "ns"), 1e-6)
        figure = "%.3g ms" % ms if ms < 10 else "%.0f ms" % ms
        if "snapshot_MiB" in b:
            figure += ", snapshot %.1f MiB" % b["snapshot_MiB"]
        target, verdict = "-", ""
        for pattern, kind, limit, text in TARGETS:
            if re.search(pattern, name):
                value = b.get("vs_minimal") if kind == "ratio" else b.get("longest_stop_ms") if kind == "stop" else ms
                if value is None:
                    continue
                if kind == "ratio":
                    ms = b.get("program_ms", ms)
                    figure = "%.2f x bare (%.0f vs %.0f ms)" % (value, ms, b.get("minimal_ms", 0))
                    if "top_windows" in b:
                        windows = int(b["top_windows"])
                        figure += ", %d top-level window%s" % (windows, "" if windows == 1 else "s")
                if kind == "stop":
                    figure = "stood still %.0f ms at most (%s to store), index %.1f x the text" % (
                        value, figure, b.get("file_growth_x", 0))
                ok = value <= limit
                target, verdict = text, "met" if ok else "NOT met"
                met, missed = met + ok, missed + (not ok)
                break
        peak = b.get("peak_rss_MiB", program_rss)
        rows.append((operation, figure, target, verdict, "%.0f MiB" % peak if peak else ""))

header = ("operation", "figure", "target", "met", "peak memory")
widths = [max(len(r[i]) for r in rows + [header]) for i in range(5)]
line = lambda r: "| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |"
print(line(header))
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print(line(r))
print("\ntargets met: %d of %d" % (met, met + missed))
sys.exit(1 if strict and missed else 0)
EOF
