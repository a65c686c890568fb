#!/bin/bash
# Takes the viewer's screenshots under a virtual X server:
#   docs/viewdial-instructions.png  the window as started
#   docs/viewdial-playing.png       the player showing the loopback test stream
#   docs/viewdial-playlist.png      the channel menu with a channel list's groups
#   docs/viewdial-channels.png      the channel window over that list, with logos and programmes
# Usage: tv/tests/screenshots.sh BUILD_DIR   (with viewdial_shots built in it)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
shots=$(cd "${1:-$root/build}" && pwd)/tv/tests/viewdial_shots
export root shots
xvfb-run -a -s "-screen 0 1600x900x24" bash -c '
    set -euo pipefail
    for state in instructions playing playlist channels; do
        out=$(mktemp)
        "$shots" "$state" > "$out" 2>/dev/null &
        pid=$!
        for _ in $(seq 150); do
            grep -q READY "$out" && break
            sleep 0.1
        done
        grep -q READY "$out"
        # The window sits at 190,115 with a client area of 458x406 and no frame; the
        # menus and the channel window reach beyond it.
        crop=458x406+190+115
        [[ $state == playlist ]] && crop=560x560+190+115
        [[ $state == channels ]] && crop=1380x560+190+115
        import -window root -crop "$crop" +repage "$root/docs/viewdial-$state.png"
        kill "$pid"
        wait "$pid" || true
        rm -f "$out"
    done
'
