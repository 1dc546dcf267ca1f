#!/usr/bin/env bash
# Configures and builds Quillery into build/ (shared by test.sh and run.sh). Extra arguments name targets.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    # A compiler cache, when the machine has one, makes rebuilds in several work trees cheap.
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QUILL_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}"
fi
cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
