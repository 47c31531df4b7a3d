#!/usr/bin/env bash
# The main job on the bundled demo: installs what is missing, builds, starts the demo film
# site, then opens cadrelle on a fresh copy of the demo catalogue with the Trouvel plug-in
# and its Demo script ready. Without a display ($DISPLAY and $WAYLAND_DISPLAY empty) it
# fills the copy with `trouvel batch` instead and prints the result as a table.
#
# Environment: TROUVEL_BUILD_DIR (default build/), TROUVEL_DEMO_DIR (where the catalogue
# copy goes; default <build>/demo-run).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TROUVEL_BUILD_DIR:-$root/build}"
run_dir="${TROUVEL_DEMO_DIR:-$build/demo-run}"

# TROUVEL_NO_INSTALL=1 (the tests): nothing is installed, what is missing is only named.
if [ "${TROUVEL_NO_INSTALL:-0}" = 1 ]; then
    "$root/tools/install-deps.sh" --check
else
    "$root/tools/install-deps.sh"
fi
if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" >/dev/null   # keep the build's own settings (type, sanitizers)
else
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --parallel "$(nproc)" --target trouvel trouvel-demo-site Trouvel cadrelle

headless=0
[ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && headless=1

# A fresh copy of the demo catalogue with its column mapping for the Demo script.
rm -rf "$run_dir"
mkdir -p "$run_dir"
cp "$root/demo/catalogue/demo.csv" "$root/demo/catalogue/Trouvel.ini" "$run_dir/"

site_pid=""
cleanup() { [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null || true; }
trap cleanup EXIT

# Starts the demo site on port $1 and waits for its "listening on" line; sets site_url.
start_site() {
    coproc SITE { exec "$build/bin/trouvel-demo-site" --port "$1" 2>/dev/null; }
    site_pid=$SITE_PID
    local line=""
    read -r -u "${SITE[0]}" line || true
    case "$line" in
        "listening on "*) site_url=${line#listening on } ;;
        *) site_pid=""; return 1 ;;
    esac
}

if [ "$headless" = 1 ]; then
    # Any free port; a copy of the script points at it (same name, so the same mapping).
    start_site 0 || { echo "run-demo: le site de démonstration n'a pas démarré" >&2; exit 1; }
    port=$(printf '%s' "$site_url" | sed -E 's|.*:([0-9]+)/?$|\1|')
    mkdir -p "$run_dir/scripts"
    sed "s|127\.0\.0\.1:8737|127.0.0.1:$port|g" "$root/scripts/Demo.tvs" >"$run_dir/scripts/Demo.tvs"
    echo "Site de démonstration : $site_url (pas d'affichage : trouvel batch)"
    # Exit status 1 says the run is incomplete: one of the demo's posters is not a picture,
    # on purpose. Anything else is a failure of the demo.
    status=0
    "$build/bin/trouvel" batch "$run_dir/demo.csv" --script "$run_dir/scripts/Demo.tvs" || status=$?
    [ "$status" -le 1 ] || exit "$status"
    echo
    python3 - "$run_dir/demo.csv" <<'PY'
import csv, sys
with open(sys.argv[1], newline="", encoding="utf-8") as f:
    rows = list(csv.reader(f))
head, body = rows[0], rows[1:]
keep = [i for i, c in enumerate(head) if c in ("Titre", "Année", "Réalisateur", "Genre", "Durée", "#Tag")]
def cut(t, w):
    return t if len(t) <= w else t[: w - 1] + "…"
widths = {i: min(32, max(len(r[i]) for r in rows)) for i in keep}
line = lambda r: " | ".join(cut(r[i], widths[i]).ljust(widths[i]) for i in keep)
print(line(head))
print("-+-".join("-" * widths[i] for i in keep))
for r in body:
    print(line(r))
PY
    exit 0
fi

# With a display: the plug-in's bundled Demo script expects the site on port 8737.
if ! start_site 8737; then
    if curl -fs "http://127.0.0.1:8737/" | grep -q "CinéGrenier"; then
        echo "Le site de démonstration tourne déjà sur http://127.0.0.1:8737/"
    else
        echo "run-demo: le port 8737 est occupé par un autre programme" >&2
        exit 1
    fi
else
    echo "Site de démonstration : $site_url"
fi
echo "Catalogue : $run_dir/demo.csv — Modules > Trouvel, puis « Sauvegarde Auto » ou « Chercher »."
"$build/bin/cadrelle" "$run_dir/demo.csv"
