#!/usr/bin/env bash
# Builds libFuzzer targets with clang, and nothing else, in build-fuzz/; the fuzz
# scripts of the subsystems (calc/fuzz/run.sh, tv/fuzz/run.sh) start with it.
#   scripts/fuzz-build.sh TARGET...
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    >/dev/null
cmake --build "$root/build-fuzz" --target "$@" -j 2
