#!/usr/bin/env bash
# Sets up everything, builds, and starts a program: the game `number` by default,
# or the TV viewer with `bash scripts/play.sh viewdial`.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
program=${1:-number}
case "$program" in
    number) path=build/game/number ;;
    viewdial) path=build/tv/viewdial ;;
    *) echo "usage: $0 [number|viewdial]" >&2; exit 2 ;;
esac
bash scripts/setup.sh
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)" --target "$program"
exec "$path"
