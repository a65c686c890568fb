#!/usr/bin/env bash
# The Windows side, verified on Linux: cross-builds the Qt-free libraries (the calculator and
# the companion detection) and their tests for 64-bit Windows with MinGW-w64, GoogleTest built
# from Debian's sources with the same toolchain, puts both programs' version resources
# through windres, and runs the tests under wine in a throw-away prefix. Debian has no Qt for
# MinGW, so the windows themselves are not built here. Exits non-zero when anything fails.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
bash scripts/setup.sh
jobs=$(nproc)

# Debian 12 keeps wine64 and its server in wine's library folder, off the PATH.
winedir=/usr/lib/wine
[[ -x $winedir/wine64 ]] || { echo "test-windows: no $winedir/wine64" >&2; exit 1; }

export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
scratch=$(mktemp -d)
WINEPREFIX=$scratch/prefix
stop_wine() {
    timeout 30 "$winedir/wineserver" -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap stop_wine EXIT

cmake --preset mingw-w64
cmake --build --preset mingw-w64 -j "$jobs"

if ! timeout 180 "$winedir/wine64" wineboot --init >"$scratch/wineboot.log" 2>&1; then
    cat "$scratch/wineboot.log" >&2
    echo "test-windows: wine could not set up its prefix" >&2
    exit 1
fi
# Each test runs under wine64 (the toolchain's emulator) with the preset's time limit.
ctest --preset mingw-w64
