#!/usr/bin/env bash
# Sets up everything, builds, and runs the whole test suite: once in the normal build,
# once more built with AddressSanitizer + UndefinedBehaviorSanitizer, then the Windows
# side cross-built and run under wine (scripts/test-windows.sh). On the way it checks
# that the two programs build without any test library.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

cmake --preset default
cmake --build --preset default -j "$jobs"
ctest --preset default -j "$jobs"

# The channel-list reader and the programme-guide reader are each fuzzed for a bounded
# minute, at the same time, beside the sanitizer build, which takes longer than that, so
# the run costs the suite little time. Both targets are built first, in one build.
fuzzlog=$(mktemp)
guidelog=$(mktemp)
fuzzfailed=$(mktemp)
fuzz_both() {
    if ! bash scripts/fuzz-build.sh playlist_fuzz guide_fuzz >"$fuzzlog" 2>&1; then
        echo "building the fuzz targets" >>"$fuzzfailed"
        return 1
    fi
    FUZZ_PREBUILT=1 bash tv/fuzz/run.sh 60 >>"$fuzzlog" 2>&1 &
    local lists=$!
    FUZZ_PREBUILT=1 bash tv/fuzz/run.sh --guide 60 >"$guidelog" 2>&1 ||
        echo "fuzzing the programme-guide reader (build-fuzz/guide-findings/)" >>"$fuzzfailed"
    wait "$lists" ||
        echo "fuzzing the channel-list reader (build-fuzz/playlist-findings/)" >>"$fuzzfailed"
    [[ ! -s "$fuzzfailed" ]]
}
fuzz_both &
fuzz=$!
trap 'kill "$fuzz" 2>/dev/null || true' EXIT

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"

if ! wait "$fuzz"; then
    tail -n 60 "$fuzzlog" "$guidelog"
    sed 's/^/test: a fault in /' "$fuzzfailed" >&2
    exit 1
fi
rm -f "$fuzzlog" "$guidelog" "$fuzzfailed"

# GoogleTest, Google Benchmark and Qt Test are out of reach of this build.
cmake --preset notests
cmake --build --preset notests -j "$jobs"

bash scripts/test-windows.sh
