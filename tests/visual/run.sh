#!/usr/bin/env bash
# run.sh CHECKER BUILD_DIR PROGRAM SCALE OUT.png
# Starts PROGRAM on a fresh Xvfb display (no window manager, so each window's
# client area sits exactly at its designed position) and lets CHECKER compare
# the screen with the layout.
set -euo pipefail
checker=$1 build=$2 program=$3 scale=$4 out=$5
case "$program" in
    number) binary=$build/game/number ;;
    viewdial) binary=$build/tv/viewdial ;;
    *) echo "unknown program $program" >&2; exit 2 ;;
esac
unset QT_QPA_PLATFORM
exec xvfb-run -a -s "-screen 0 2200x1700x24 -dpi 96" \
    "$checker" "$binary" "$program" "$scale" "$out"
