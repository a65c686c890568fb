#!/usr/bin/env bash
# Fuzzes the calculator with libFuzzer for a number of seconds (default 60).
#   calc/fuzz/run.sh [seconds] [corpus directory, default build-fuzz/calc-corpus]
# Builds only the fuzz target, with clang, in build-fuzz/. Findings land in
# build-fuzz/calc-findings/ as crash-* files; rerun one with
#   build-fuzz/calc/calc_fuzz FILE
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
seconds="${1:-60}"
build="$root/build-fuzz"
corpus="${2:-$build/calc-corpus}"
findings="$build/calc-findings"

bash "$root/scripts/fuzz-build.sh" calc_fuzz

mkdir -p "$corpus" "$findings"
# A few of the solver's formulas and of the wider language give the search a start.
seeds=("(1+2+3)*4" "8/(3-8/3)" "max(3,7,5)" "1>0&2>1:5" "1/0.0" "3--3" "1,2)" "MAX(3, 7)")
for i in "${!seeds[@]}"; do
    printf '%s' "${seeds[$i]}" >"$corpus/seed-$i"
done
exec "$build/calc/calc_fuzz" "$corpus" -max_total_time="$seconds" -max_len=256 \
    -artifact_prefix="$findings/" -print_final_stats=1
