#!/usr/bin/env bash
# Installs what is needed, builds Jotrak with its tests and runs every test.
#   BUILD_DIR   build folder (default: build)
#   BUILD_TYPE  CMake build type (default: RelWithDebInfo)
#   SANITIZE=1  build with AddressSanitizer and UndefinedBehaviorSanitizer
# Warnings are errors here (JOTRAK_WERROR), unlike a plain build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build_dir=${BUILD_DIR:-build}
args=(-G Ninja -DCMAKE_BUILD_TYPE=${BUILD_TYPE:-RelWithDebInfo} -DJOTRAK_WERROR=ON)
if [ "${SANITIZE:-0}" = 1 ]; then
  args+=(-DJOTRAK_SANITIZE=ON -DJOTRAK_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:abort_on_error=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
fi
cmake -S . -B "$build_dir" "${args[@]}"
cmake --build "$build_dir" -j "$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)"
