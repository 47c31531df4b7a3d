#!/usr/bin/env bash
# Builds the Debian package from an already built tree (no second build), checks it with
# lintian, installs it with apt-get, runs the installed programs (try and batch against the
# installed demo site, the demo catalogue's copy, cadrelle offscreen listing a user's script),
# removes it and checks that nothing is left. Also checks that the README's configure line
# needs none of the test packages. Needs root (or sudo), a machine where trouvel is not
# installed yet, and the tree's tests built (the script list probe comes from there).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${TROUVEL_BUILD_DIR:-$root/build}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
fail() { echo "check-package: $*" >&2; exit 1; }

installed() { [ "$(dpkg-query -W -f='${Status}' trouvel 2>/dev/null)" = "install ok installed" ]; }

if installed; then
    fail "trouvel is already installed here; remove it first (apt-get remove trouvel)"
fi
probe="$build/tests/host/cadrelle-script-list-probe.so"
[ -f "$probe" ] || fail "no $probe: build the tree with its tests first"
work=$(mktemp -d)
log="$work/log"
site_pid=""
cleanup() {
    [ -n "$site_pid" ] && kill "$site_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# The README's configure line, on a machine without the test packages (hidden here): tests
# and benchmarks are left out with a message, and with -DBUILD_TESTING=OFF not looked for.
# Configured only, in a tree of its own: building it would build everything a second time.
configure=$(awk '$0 == "## Install" { found = 1; next } found && /^    cmake -S / { sub(/^    /, ""); print; exit }' "$root/README.md")
[[ $configure == *" -B build "* ]] || fail "no 'cmake -S . -B build ...' line under '## Install' in README.md"
hidden=(-DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON)
(cd "$root" && eval "${configure/ -B build / -B \"$work/release\" }" '"${hidden[@]}"') >"$log" 2>&1 \
    || { cat "$log" >&2; fail "the README's configure line fails without the test packages: $configure"; }
(cd "$root" && eval "${configure/ -B build / -B \"$work/with-tests\" } -DBUILD_TESTING=ON" '"${hidden[@]}"') >"$log" 2>&1 \
    || { cat "$log" >&2; fail "configuring with tests fails without the test packages instead of leaving them out"; }
grep -q "Tests skipped: GoogleTest" "$log" || fail "no message that the tests are left out without GoogleTest"
grep -q "Benchmarks skipped: Google Benchmark" "$log" || fail "no message that the benchmarks are left out"
[ ! -d "$work/with-tests/tests" ] || fail "the tests were configured without their packages"
rm -rf "$work/release" "$work/with-tests"
echo "check-package: the README's configure line needs no test package"

rm -f "$build"/trouvel_*.deb
(cd "$build" && cpack -G DEB) >"$log" 2>&1 || { cat "$log" >&2; fail "cpack -G DEB failed"; }
deb=$(ls "$build"/trouvel_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "check-package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
depends=$(dpkg-deb -f "$deb" Depends)
grep -qw qt6-translations-l10n <<<"$depends" || fail "the package does not depend on qt6-translations-l10n"
grep -qw libqt6core6 <<<"$depends" || fail "the package's library dependencies were not computed"

# lintian at its default level (errors and warnings): nothing. It only remarks that it runs
# as root.
command -v lintian >/dev/null || fail "lintian is missing (apt-get install lintian)"
lintian "$deb" >"$log" 2>&1 || true
if grep -v '^running with root privileges is not recommended!$' "$log" | grep -q .; then
    cat "$log" >&2
    fail "lintian reports the above"
fi
echo "check-package: lintian: clean"

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >"$log" 2>&1 \
    || { cat "$log" >&2; fail "apt-get install $deb failed"; }
files=$(dpkg -L trouvel)

[ "$(trouvel --version)" = "trouvel $version" ] || fail "trouvel --version: $(trouvel --version)"
for page in trouvel cadrelle trouvel-demo-site; do
    [ "$(LC_ALL=C man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
    [ "$(man -L fr -w "$page")" = "/usr/share/man/fr/man1/$page.1.gz" ] || fail "man -L fr -w $page: $(man -L fr -w "$page" 2>&1)"
    grep -qx "NAME" <<<"$(LC_ALL=C MANWIDTH=80 man "$page" 2>/dev/null)" || fail "man $page does not render its NAME section"
    grep -qx "NOM" <<<"$(MANWIDTH=80 man -L fr "$page" 2>/dev/null)" || fail "man -L fr $page does not render its NOM section"
done
[ "$(zcat /usr/share/doc/trouvel/changelog.gz | head -n 1)" = "trouvel ($version) unstable; urgency=medium" ] \
    || fail "/usr/share/doc/trouvel/changelog.gz does not begin with version $version"
plugins=/usr/lib/cadrelle/plugins/Trouvel
grep -q "^$plugins/Trouvel.so	Trouvel " <<<"$(cadrelle --list-plugins)" || fail "cadrelle --list-plugins does not find $plugins/Trouvel.so"
grep -qx "    $plugins/scripts" <<<"$(trouvel --help)" || fail "trouvel --help does not name $plugins/scripts"
# The installed tool replays the bundled script's recorded titles, with no network.
trouvel check "$plugins/scripts/Demo.tvs" "$root/scripts/Demo.tests" >/dev/null || fail "trouvel check of the bundled script"
# bash-completion loads the completion on demand, from where the package puts it.
grep -q _trouvel <<<"$(bash -c 'source /usr/share/bash-completion/bash_completion; _completion_loader trouvel; complete -p trouvel')" \
    || fail "bash-completion does not load the completion of trouvel"

# As a user would, in a home of its own: the demo catalogue copied, the installed demo site on
# a free port, which the user's own copy of the Demo script points at (hiding the bundled one).
home="$work/home"
mkdir -p "$home"
run_as_user() { env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" XDG_CACHE_HOME="$home/.cache" "$@"; }
coproc SITE { exec trouvel-demo-site --port 0 2>/dev/null; }
site_pid=$SITE_PID
read -r -u "${SITE[0]}" line || true
[[ $line == "listening on http://127.0.0.1:"* ]] || fail "trouvel-demo-site did not start: $line"
port=${line##*:}
port=${port%/}
user_scripts="$home/.local/share/cadrelle/plugins/Trouvel/scripts"
mkdir -p "$user_scripts"
sed "s|127\.0\.0\.1:8737|127.0.0.1:$port|g" "$plugins/scripts/Demo.tvs" >"$user_scripts/Demo.tvs"
(cd "$home" && run_as_user trouvel demo films) >"$log" 2>&1 || { cat "$log" >&2; fail "trouvel demo films"; }
grep -qx "    cadrelle $home/films/demo.csv" "$log" || { cat "$log" >&2; fail "trouvel demo does not print the command that opens the copy"; }
cmp -s /usr/share/trouvel/demo/demo.csv "$home/films/demo.csv" || fail "trouvel demo did not copy the demo catalogue"
(cd "$home" && run_as_user trouvel try Demo "Nord/Sud") >"$log" 2>&1 || { cat "$log" >&2; fail "trouvel try Demo \"Nord/Sud\" against the demo site"; }
grep -q "127.0.0.1:$port" "$log" || { cat "$log" >&2; fail "trouvel try Demo did not use the user's Demo script"; }
status=0
(cd "$home" && run_as_user trouvel batch films/demo.csv --script Demo) >"$log" 2>&1 || status=$?
# One poster of the demo is not a picture, on purpose: 1, with every page read.
{ [ $status -eq 0 ] || { [ $status -eq 1 ] && grep -q '^Échecs : 0$' "$log"; }; } || { cat "$log" >&2; fail "trouvel batch on the demo copy: status $status"; }
grep -q '^"\?Nord/Sud"\?,1988,' "$home/films/demo.csv" || fail "trouvel batch did not fill the demo copy"
kill "$site_pid" 2>/dev/null || true
site_pid=""
echo "check-package: try, batch and demo against the installed demo site"
# cadrelle, offscreen: the wizard lists the user's script first, and a copy of the module in
# the user's folder does not show twice.
bash "$root/tests/host/check-wizard-scripts.sh" /usr/bin/cadrelle "$probe" /usr/share/trouvel/demo >"$log" 2>&1 \
    || { cat "$log" >&2; fail "cadrelle's wizard and the user's scripts"; }
echo "check-package: $(cat "$log")"

DEBIAN_FRONTEND=noninteractive $sudo apt-get remove -y -qq trouvel >"$log" 2>&1 || { cat "$log" >&2; fail "apt-get remove trouvel failed"; }
if installed; then
    fail "trouvel is still installed after apt-get remove"
fi
left=0
while IFS= read -r path; do
    if [ -e "$path" ] && [ ! -d "$path" ]; then
        echo "check-package: left after removal: $path" >&2
        left=1
    fi
done <<<"$files"
for folder in "$plugins" /usr/share/trouvel /usr/share/doc/trouvel /usr/lib/trouvel; do
    [ -d "$folder" ] && { echo "check-package: left after removal: $folder" >&2; left=1; }
done
[ $left -eq 0 ] || exit 1
echo "check-package: trouvel $version installed, checked and removed"
