#!/usr/bin/env bash
# Configures and builds Quillery into build/ (shared by test.sh and run.sh). Extra arguments name targets.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QUILL_BUILD_DIR:-$root/build}"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${QUILL_BUILD_TYPE:-RelWithDebInfo}"
fi
cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
