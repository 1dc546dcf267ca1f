#!/usr/bin/env bash
# Builds the tests with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/) and the threaded tests with
# ThreadSanitizer (build-tsan/: the journal writer, the heuristic's second thread, the table reader and writer), runs
# them and prints a summary. Every process the tests start (the command line too) reports into the log folder.
# Exit status 0 when every test passed and no sanitizer reported anything.
#   scripts/sanitize.sh [asan|tsan]...   (both by default)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(asan tsan)

configure() { # folder, compiler flags
    local folder="$1" flags="$2" launcher=()
    [ -f "$folder/build.ninja" ] && return 0
    if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S "$root" -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILL_BUILD_BENCH=OFF \
        -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" "${launcher[@]}" >/dev/null
}

summary=()
failed=0

# Runs each test executable of `folder` given as "name[:gtest filter]", logging into folder/sanitize-logs.
run_tests() { # kind, folder, tests...
    local kind="$1" folder="$2"
    shift 2
    local logs="$folder/sanitize-logs"
    rm -rf "$logs"
    mkdir -p "$logs"
    local options="log_path=$logs/report:halt_on_error=1:print_stacktrace=1"
    for entry in "$@"; do
        local name="${entry%%:*}" filter="*"
        [ "$entry" != "$name" ] && filter="${entry#*:}"
        local log="$logs/$name.log"
        ASAN_OPTIONS="$options:detect_leaks=1" UBSAN_OPTIONS="$options" TSAN_OPTIONS="$options:second_deadlock_stack=1" \
            QT_QPA_PLATFORM=offscreen "$folder/bin/$name" --gtest_filter="$filter" >"$log" 2>&1
        local status=$?
        local passed failing skipped
        passed=$(grep -c '^\[       OK \]' "$log")
        failing=$(grep -c '^\[  FAILED  \] [A-Za-z]' "$log")
        skipped=$(grep -c '^\[  SKIPPED \] [A-Za-z]' "$log")
        summary+=("$(printf '%-5s %-16s %4d passed %3d failed %3d skipped  exit %d' "$kind" "$name" "$passed" \
            "$failing" "$skipped" "$status")")
        [ "$status" -ne 0 ] && failed=1
    done
    local reports
    reports=$(find "$logs" -name 'report.*' | wc -l)
    summary+=("$(printf '%-5s %d sanitizer report(s) in %s' "$kind" "$reports" "$logs")")
    if [ "$reports" -ne 0 ]; then
        failed=1
        find "$logs" -name 'report.*' -exec grep -h -m1 -E 'ERROR|WARNING|runtime error' {} + | sort | uniq -c
    fi
}

for kind in "${kinds[@]}"; do
    case "$kind" in
    asan)
        folder="$root/build-asan"
        configure "$folder" "-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
        cmake --build "$folder" -j"$(nproc)" || exit 1
        run_tests asan "$folder" test_core test_strings test_plugin test_script test_dictionary test_aids test_display \
            test_workspace test_app test_ui
        ;;
    tsan)
        folder="$root/build-tsan"
        configure "$folder" "-fsanitize=thread"
        cmake --build "$folder" -j"$(nproc)" --target test_strings test_aids test_workspace || exit 1
        run_tests tsan "$folder" test_strings "test_aids:HeuristicBatch.*" "test_workspace:TJournalFixture.*:Journal.*"
        ;;
    *)
        echo "unknown sanitizer $kind (asan or tsan)" >&2
        exit 2
        ;;
    esac
done

echo "== sanitizer summary"
printf '%s\n' "${summary[@]}"
[ "$failed" -eq 0 ] && echo "no finding" || echo "FINDINGS (see the logs above)"
exit "$failed"
