#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each one on its committed corpus for a bounded time. Fails on any crash,
# sanitizer report, leak or time-out; the input that caused it is kept in
# <build>/artifacts/ and the command that replays it is printed.
#   FUZZ_SECONDS  seconds per target (default 60)
#   FUZZ_BUILD    build folder (default build-fuzz)
#   FUZZ_TARGETS  space-separated names to run (default: every fuzz_* built)
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh

seconds=${FUZZ_SECONDS:-60}
build_dir=${FUZZ_BUILD:-build-fuzz}

CC=clang CXX=clang++ cmake -S . -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g" \
  -DJOTRAK_FUZZ=ON -DJOTRAK_SANITIZE=ON -DJOTRAK_WERROR=ON -DJOTRAK_BUILD_TESTS=OFF -DJOTRAK_BUILD_BENCH=OFF
cmake --build "$build_dir" -j "$(nproc)" --target jotrak_fuzzers

targets=${FUZZ_TARGETS:-$(cd "$build_dir/bin" && ls fuzz_* 2>/dev/null | tr '\n' ' ')}
[ -n "$targets" ] || { echo "fuzz: no fuzz target was built" >&2; exit 1; }

artifacts="$build_dir/artifacts"
mkdir -p "$artifacts"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
asan_options=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Known leaks inside system libraries (see the file); matching them needs full
# stacks, which only the targets that reach those libraries pay for.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/fuzz/lsan.supp:print_suppressions=0}

failed=()
for target in $targets; do
  corpus="fuzz/corpus/${target#fuzz_}"
  # New inputs found during the run stay in a scratch copy; the committed corpus stays small.
  mkdir -p "$work/$target"
  [ -d "$corpus" ] && cp -r "$corpus/." "$work/$target/"
  echo "== $target: ${seconds}s from $(ls "$work/$target" | wc -l) seed inputs =="
  case "$target" in
    fuzz_xls_file) export ASAN_OPTIONS="$asan_options:fast_unwind_on_malloc=0" ;;
    *) export ASAN_OPTIONS="$asan_options" ;;
  esac
  if ! "$build_dir/bin/$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$work/$target" > "$work/$target.log" 2>&1; then
    tail -n 60 "$work/$target.log"
    echo "fuzz: $target FAILED; replay with: $build_dir/bin/$target $artifacts/$target-<artifact>" >&2
    failed+=("$target")
  else
    grep -E '^stat::(number_of_executed_units|peak_rss_mb)' "$work/$target.log" | tr '\n' ' '
    echo
  fi
done

count=$(wc -w <<< "$targets")
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzz: ${#failed[@]} of $count targets failed: ${failed[*]}" >&2
  exit 1
fi
echo "fuzz: $count targets ran ${seconds}s each without a crash"
