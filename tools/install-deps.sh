#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Trouvel need,
# only those that are missing. Needs root (or sudo).
# --check: installs nothing; lists what is missing and exits 1 when anything is.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config ccache
  qt6-base-dev qt6-qpa-plugins qt6-image-formats-plugins libpcre2-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
  curl python3 nodejs xvfb xauth
  zlib1g-dev qt6-translations-l10n
  dpkg-dev lintian appstream desktop-file-utils man-db groff-base bash-completion
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--check" ]; then
  echo "Paquets manquants : ${missing[*]} (tools/install-deps.sh les installe)" >&2
  exit 1
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
