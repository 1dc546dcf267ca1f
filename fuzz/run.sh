#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz/, clang with AddressSanitizer), makes the seeds, then runs every target for
# SECONDS each (default 180) on its corpus fuzz/corpus-NAME/. Stops at the first target that finds a fault.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-180}"
build="$root/build-fuzz"
if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    CC=clang CXX=clang++ CXXFLAGS="-fsanitize=fuzzer-no-link,address -g" \
        cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_FUZZ=ON \
        -DQUILL_BUILD_TESTS=OFF -DQUILL_BUILD_BENCH=OFF "${launcher[@]}"
fi
cmake --build "$build" -j"$(nproc)"
"$build/bin/fuzz_make_seeds" "$root/fuzz"
for source in "$root"/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    case "$name" in
        fuzz_plugin | fuzz_ba2 | fuzz_bsa) size=(-max_len=4194304) ;; # the bombs need room
        *) size=() ;;
    esac
    mkdir -p "$root/fuzz/corpus-$name"
    echo "== $name (${seconds}s)"
    (cd "$root/fuzz" && "$build/bin/$name" "corpus-$name" "${size[@]}" -max_total_time="$seconds" -print_final_stats=1)
done
