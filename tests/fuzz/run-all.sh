#!/usr/bin/env bash
# Runs every fuzz target for SECONDS_EACH seconds (CI: about 30), one after the other.
# usage: tests/fuzz/run-all.sh SECONDS_EACH
set -euo pipefail
seconds=${1:-30}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${TROUVEL_FUZZ_BUILD:-$root/build-fuzz}
# Build every target first, so that each target's time is spent fuzzing.
if [[ ! -f $build/build.ninja ]]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTROUVEL_FUZZ=ON -DTROUVEL_BUILD_TESTS=OFF -DTROUVEL_BUILD_BENCH=OFF >/dev/null
fi
targets=()
for dir in "$here"/corpus/*/; do targets+=("fuzz_$(basename "$dir")"); done
cmake --build "$build" --target "${targets[@]}" -j"${TROUVEL_FUZZ_JOBS:-2}"
failed=()
logs="$build/fuzz-logs" # beside the build, not in the shared temporary folder
mkdir -p "$logs"
for dir in "$here"/corpus/*/; do
  target=$(basename "$dir")
  echo "== fuzz $target ($seconds s)"
  if ! "$here/run.sh" "$target" "$seconds" 2>"$logs/$target.log"; then
    tail -n 60 "$logs/$target.log" >&2
    failed+=("$target")
  else
    grep -E '^stat::number_of_executed_units|^Done ' "$logs/$target.log" || true
  fi
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz targets failing: ${failed[*]}" >&2
  exit 1
fi
