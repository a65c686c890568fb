#!/usr/bin/env bash
# Fuzzes the channel-list reader with libFuzzer for a number of seconds (default 60).
#   tv/fuzz/run.sh [seconds] [corpus directory, default build-fuzz/playlist-corpus]
# Builds only the fuzz target, with clang, in build-fuzz/. Findings land in
# build-fuzz/playlist-findings/ as crash-*, leak-* or timeout-* files; rerun one with
#   build-fuzz/tv/playlist_fuzz FILE
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
bash "$root/scripts/fuzz-build.sh" playlist_fuzz
corpus="${2:-$root/build-fuzz/playlist-corpus}"
findings="$root/build-fuzz/playlist-findings"
mkdir -p "$corpus" "$findings"
# One list of each kind the reader knows gives the search a start; the first byte of
# each picks the list's location.
printf '%s' $'\x00#EXTM3U\n#EXTINF:-1 tvg-id="a" group-title="G",A, "b"\n#EXTVLCOPT:http-referrer=http://r/\nlive/a.m3u8\n' >"$corpus/seed-extm3u"
printf '%s' $'\x01\xef\xbb\xbfhttp://h/a\r\nrtsp://h/b\r/c.ts\n' >"$corpus/seed-plain"
printf '%s' $'\x00G,#genre#\nA,http://a/1#http://b/1\n' >"$corpus/seed-text"
printf '%s' $'\x00#EXTM3U\n#EXT-X-TARGETDURATION:2\nseg0.ts\n' >"$corpus/seed-stream"
exec "$root/build-fuzz/tv/playlist_fuzz" "$corpus" -dict="$root/tv/fuzz/playlist.dict" \
    -max_total_time="${1:-60}" -max_len=4096 -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1
