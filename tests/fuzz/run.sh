#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time: tests/fuzz/run.sh TARGET SECONDS [libFuzzer options]
# TARGET is a name of tests/fuzz (ini_file, regexp, text_cleanup, net_request, net_response,
# catalogue_csv). Builds the clang fuzz build in build-fuzz (or $TROUVEL_FUZZ_BUILD) when needed.
# New inputs go to a scratch corpus; the committed seeds in tests/fuzz/corpus/TARGET are only read.
# A crash leaves its input as crash-* in the scratch folder and makes the script fail.
set -euo pipefail

if [[ $# -lt 2 ]]; then
  echo "usage: $0 TARGET SECONDS [libFuzzer options]" >&2
  exit 2
fi
target=$1
seconds=$2
shift 2

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${TROUVEL_FUZZ_BUILD:-$root/build-fuzz}
seeds=$here/corpus/$target
[[ -d $seeds ]] || { echo "no seed corpus $seeds" >&2; exit 2; }

if [[ ! -f $build/build.ninja ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTROUVEL_FUZZ=ON -DTROUVEL_BUILD_TESTS=OFF -DTROUVEL_BUILD_BENCH=OFF >/dev/null
fi
cmake --build "$build" --target "fuzz_$target" -j"${TROUVEL_FUZZ_JOBS:-2}"

work=${TROUVEL_FUZZ_WORK:-$build/fuzz-work}/$target
mkdir -p "$work/corpus"
cd "$work"
# Undefined behaviour stops the run like a crash; leaks are not the subject here (Qt keeps
# some allocations for the life of the process).
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}
exec "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
  -print_final_stats=1 -artifact_prefix="$work/" "$@" "$work/corpus" "$seeds"
