#!/usr/bin/env bash
# Runs the README's two commands as written there: the main job (here without a display,
# so it fills a copy of the demo catalogue with `trouvel batch`), and checks that CI runs the
# test command exactly (running that one here would run this test again).
# Arguments: source folder, build folder (reused, so nothing is built twice).
set -euo pipefail
src=$1
build=$2
readme="$src/README.md"

# The first indented command line after a heading.
command_after() {
    awk -v h="$1" '$0 == h { found = 1; next } found && /^    [^ ]/ { sub(/^    /, ""); print; exit }' "$readme"
}
main_job=$(command_after "## Run it on the demo")
test_command=$(command_after "## Run the tests")
[ -n "$main_job" ] || { echo "no main-job command in README.md"; exit 1; }
[ -n "$test_command" ] || { echo "no test command in README.md"; exit 1; }
echo "main job: $main_job"
echo "tests:    $test_command"

grep -qF "$test_command" "$src/.ci/run" || { echo ".ci/run does not run '$test_command'"; exit 1; }
[ -x "$src/${test_command%% *}" ] || { echo "$test_command is not executable"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/config" "$work/data" "$work/cache"
out="$work/out.txt"
(
    cd "$src"
    # A test installs nothing (CI's own install step does): the packages are only checked.
    export DISPLAY= WAYLAND_DISPLAY= TROUVEL_BUILD_DIR="$build" TROUVEL_DEMO_DIR="$work/run" TROUVEL_NO_INSTALL=1
    export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
    eval "$main_job"
) >"$out" 2>&1 || { cat "$out"; echo "main job failed"; exit 1; }

fail=0
expect() { grep -qF -- "$1" "$out" || { echo "missing in the output: $1"; fail=1; }; }
expect "Remplies : 19"
expect "Ambiguës : 3"
expect "Introuvables : 3"
expect "Échecs : 0"
expect "Titre "
expect "Nord/Sud                      | 1988  | Lazare Fontanille"
[ -f "$work/run/Nord-Sud.jpg" ] || { echo "no picture stored beside the catalogue copy"; fail=1; }
cmp -s "$src/demo/catalogue/demo.csv" "$work/run/demo.csv" && { echo "the catalogue copy was not filled"; fail=1; }
[ "$fail" = 0 ] || { cat "$out"; exit 1; }
echo "README commands: ok"
