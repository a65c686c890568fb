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

# The channel-list reader is fuzzed for a bounded minute beside the sanitizer build,
# which takes longer than that, so the run costs the suite little time.
fuzzlog=$(mktemp)
bash tv/fuzz/run.sh 60 >"$fuzzlog" 2>&1 &
fuzz=$!
trap 'kill "$fuzz" 2>/dev/null || true' EXIT

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan -j "$jobs"

if ! wait "$fuzz"; then
    tail -n 60 "$fuzzlog"
    echo "test: fuzzing the channel-list reader found a fault (build-fuzz/playlist-findings/)" >&2
    exit 1
fi
rm -f "$fuzzlog"

# GoogleTest, Google Benchmark and Qt Test are out of reach of this build.
cmake --preset notests
cmake --build --preset notests -j "$jobs"

bash scripts/test-windows.sh
