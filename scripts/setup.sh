#!/usr/bin/env bash
# Installs, only when missing, every Debian package the build, tests, benchmarks, fuzz targets and packages need
# (help2man makes the man page, file and dpkg-shlibdeps the .deb's dependencies, desktop-file-utils checks the desktop
# entry, librsvg2-bin renders the icon for scripts/render_icons.sh).
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6core5compat6-dev libgl1-mesa-dev
    zlib1g-dev libpugixml-dev libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    xvfb xauth fonts-dejavu-core
    translate-toolkit qt6-translations-l10n
    libnuspell-dev hunspell-fr hunspell-en-us wfrench
    help2man file desktop-file-utils librsvg2-bin
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
