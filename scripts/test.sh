#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
build="${QUILL_BUILD_DIR:-$root/build}"
cd "$build"
if [ "$(id -u)" -ne 0 ]; then
    echo "test.sh: not root, so the Debian package test (install.deb) is skipped: it installs the package with apt-get."
fi
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
