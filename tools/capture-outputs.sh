#!/usr/bin/env bash
# Captures what `trouvel` prints and writes for a fixed set of runs over the demo site, so that
# two builds can be compared byte for byte (a restructuring must not change any of it).
#
#   tools/capture-outputs.sh BUILD_DIR OUT_DIR
#   diff -r OUT_BEFORE OUT_AFTER
#
# Each run leaves OUT_DIR/<name>.out (standard output), .err (standard error) and .rc (exit
# status); the batch runs also leave the catalogue and its mapping as they ended. The site's
# port, which changes from run to run, is written as PORT.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
out=$2
rm -rf "$out"
mkdir -p "$out"
out=$(cd "$out" && pwd)
work=$(mktemp -d)
site_pid=""
cleanup() { [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

coproc SITE { exec "$build/bin/trouvel-demo-site" --port 0 2>/dev/null; }
site_pid=$SITE_PID
read -r -u "${SITE[0]}" line
port=$(printf '%s' "${line#listening on }" | sed -E 's|.*:([0-9]+)/?$|\1|')

mkdir -p "$work/scripts" "$work/cache" "$work/config"
sed "s|127\.0\.0\.1:8737|127.0.0.1:$port|g" "$root/scripts/Demo.tvs" >"$work/scripts/Demo.tvs"
cp -r "$root/scripts/Demo.tests" "$work/scripts/"
export XDG_CACHE_HOME="$work/cache" XDG_CONFIG_HOME="$work/config" LC_ALL=C.UTF-8 TZ=UTC
cd "$work"

# run NAME ARGS...: one run of the tool, its outputs kept with the port and the work folder
# written as PORT and WORK.
run() {
    local name=$1
    shift
    local rc=0
    "$build/bin/trouvel" "$@" >"$out/$name.out" 2>"$out/$name.err" || rc=$?
    echo "$rc" >"$out/$name.rc"
    sed -i -e "s|127\.0\.0\.1:$port|127.0.0.1:PORT|g" -e "s|$work|WORK|g" "$out/$name.out" "$out/$name.err"
}

# fresh NAME: a new copy of the demo catalogue and its mapping in WORK/NAME.
fresh() {
    rm -rf "$work/$1"
    mkdir -p "$work/$1"
    cp "$root/demo/catalogue/demo.csv" "$root/demo/catalogue/Trouvel.ini" "$work/$1/"
}

# keep NAME: the catalogue folder as the run left it.
keep() {
    mkdir -p "$out/$1.folder"
    (cd "$work/$1" && for f in *; do [ -f "$f" ] && cp "$f" "$out/$1.folder/"; done)
}

script=scripts/Demo.tvs
run try-one try "$script" "Nord/Sud"
run try-json try "$script" "Nord/Sud" --json
run try-many try "$script" "Le Dernier Été"
run try-pick try "$script" "Le Dernier Été" --pick 2
run try-pick-json try "$script" "Le Dernier Été" --pick 2 --json
run try-pick-beyond try "$script" "Le Dernier Été" --pick 9
run try-none try "$script" "Film qui n'existe pas"
run try-explain try "$script" "Nord/Sud" --explain
run try-explain-many try "$script" "Le Dernier Été" --explain
run try-timeout try "$script" "Minuit" --timeout 5
run try-proxy-refused try "$script" "Minuit" --proxy 127.0.0.1:1

fresh dry
run batch-dry batch dry/demo.csv --script "$script" --dry-run --delay 0
keep dry
fresh full
run batch-report batch full/demo.csv --script "$script" --delay 0 --report full/rapport.csv
keep full
fresh json
run batch-report-json batch json/demo.csv --script "$script" --delay 0 --report json/rapport.json
keep json
# A second run over the filled copy with --only-empty: every mapped cell is kept.
run batch-only-empty batch full/demo.csv --script "$script" --delay 0 --only-empty
keep full
fresh mapped
run batch-map batch mapped/demo.csv --script "$script" --delay 0 --from 20 --map Support=Pays --map 3=0
keep mapped
fresh proxied
run batch-proxy-refused batch proxied/demo.csv --script "$script" --delay 0 --from 24 --proxy 127.0.0.1:1 --retry-delay 1
keep proxied

# Replayed from the recordings beside the bundled script, which name the site's usual port.
cp -r "$root/scripts/Demo.tvs" "$root/scripts/Demo.tests" "$work/replay/" 2>/dev/null || { mkdir -p "$work/replay"; cp -r "$root/scripts/Demo.tvs" "$root/scripts/Demo.tests" "$work/replay/"; }
run check check replay/Demo.tvs
echo "captured $(ls "$out" | wc -l) files in $out"
