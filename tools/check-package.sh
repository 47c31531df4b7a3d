#!/usr/bin/env bash
# Builds the Debian package from an already built tree (no second build), installs it with
# apt-get, checks the installed programs and files, removes it and checks that nothing is
# left. Needs root (or sudo) and a machine where trouvel is not installed yet.
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
rm -f "$build"/trouvel_*.deb
log=$(mktemp)
trap 'rm -f "$log"' EXIT
(cd "$build" && cpack -G DEB) >"$log" 2>&1 || { cat "$log" >&2; fail "cpack -G DEB failed"; }
deb=$(ls "$build"/trouvel_*.deb)
version=$(dpkg-deb -f "$deb" Version)
echo "check-package: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"
depends=$(dpkg-deb -f "$deb" Depends)
grep -qw qt6-translations-l10n <<<"$depends" || fail "the package does not depend on qt6-translations-l10n"
grep -qw libqt6core6 <<<"$depends" || fail "the package's library dependencies were not computed"

DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$deb" >"$log" 2>&1 \
    || { cat "$log" >&2; fail "apt-get install $deb failed"; }
files=$(dpkg -L trouvel)

[ "$(trouvel --version)" = "trouvel $version" ] || fail "trouvel --version: $(trouvel --version)"
for page in trouvel cadrelle trouvel-demo-site; do
    [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
    grep -qx "NOM" <<<"$(MANWIDTH=80 man "$page" 2>/dev/null)" || fail "man $page does not render its NOM section"
done
plugins=/usr/lib/cadrelle/plugins/Trouvel
grep -q "^$plugins/Trouvel.so	Trouvel " <<<"$(cadrelle --list-plugins)" || fail "cadrelle --list-plugins does not find $plugins/Trouvel.so"
grep -qx "    $plugins/scripts" <<<"$(trouvel --help)" || fail "trouvel --help does not name $plugins/scripts"
# The installed tool replays the bundled script's recorded titles, with no network.
trouvel check "$plugins/scripts/Demo.tvs" "$root/scripts/Demo.tests" >/dev/null || fail "trouvel check of the bundled script"
# bash-completion loads the completion on demand, from where the package puts it.
grep -q _trouvel <<<"$(bash -c 'source /usr/share/bash-completion/bash_completion; _completion_loader trouvel; complete -p trouvel')" \
    || fail "bash-completion does not load the completion of trouvel"

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
[ -d "$plugins" ] && { echo "check-package: left after removal: $plugins" >&2; left=1; }
[ $left -eq 0 ] || exit 1
echo "check-package: trouvel $version installed, checked and removed"
