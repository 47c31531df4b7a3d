#!/usr/bin/env bash
# Builds the project and its tests with AddressSanitizer + UndefinedBehaviorSanitizer
# and runs the whole suite under them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install-deps.sh"
build="${TROUVEL_ASAN_BUILD_DIR:-$root/build-asan}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTROUVEL_SANITIZE=ON -DTROUVEL_BUILD_BENCH=OFF
cmake --build "$build" --parallel "$(nproc)"
cd "$build"
# Qt and fontconfig keep a few process-lifetime allocations; leaks are checked by the
# dedicated tests, not here.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
