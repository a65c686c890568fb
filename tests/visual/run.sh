#!/usr/bin/env bash
# run.sh CHECKER BUILD_DIR PROGRAM SCALE OUT.png
# Starts PROGRAM on a fresh Xvfb display (no window manager, so each window's
# client area sits exactly at its designed position) and lets CHECKER compare
# the screen with the layout. At scale 2 the main window must also be the same
# picture as at scale 1, at twice the size.
set -euo pipefail
checker=$1 build=$2 program=$3 scale=$4 out=$5
case "$program" in
    number) binary=$build/game/number geometry=489x427+149+90 ;;
    viewdial) binary=$build/tv/viewdial geometry=458x406+190+115 ;;
    *) echo "unknown program $program" >&2; exit 2 ;;
esac
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 2200x1700x24 -dpi 96" \
    "$checker" "$binary" "$program" "$scale" "$out"

if [[ "$scale" == 2 ]]; then
    single=${out/-x2.png/-x1.png}
    [[ -f "$single" ]] || { echo "no picture at scale 1 to compare with: $single" >&2; exit 1; }
    IFS='x+' read -r w h x y <<<"$geometry"
    small=$(mktemp --suffix=.png) large=$(mktemp --suffix=.png)
    trap 'rm -f "$small" "$large"' EXIT
    convert "$single" -crop "${w}x${h}+${x}+${y}" +repage "$small"
    convert "$out" -crop "$((2 * w))x$((2 * h))+$((2 * x))+$((2 * y))" +repage -resize 50% "$large"
    # compare prints the mean absolute error as a fraction in brackets, and exits 1
    # whenever the pictures differ at all.
    error=$( (compare -metric MAE "$small" "$large" null: 2>&1 || true) | sed -E 's/.*\(([0-9.e-]+)\).*/\1/')
    echo "scale 2 halved against scale 1: mean absolute error $error"
    awk -v e="$error" 'BEGIN { exit !(e < 0.03) }' ||
        { echo "FAIL $program: the window at scale 2 is not its scale-1 picture doubled" >&2; exit 1; }
fi
