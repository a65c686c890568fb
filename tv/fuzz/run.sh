#!/usr/bin/env bash
# Fuzzes the channel-list reader or the programme-guide reader with libFuzzer for a
# number of seconds (default 60).
#   tv/fuzz/run.sh [seconds] [corpus directory, default build-fuzz/playlist-corpus]
#   tv/fuzz/run.sh --guide [seconds] [corpus directory, default build-fuzz/guide-corpus]
# Builds only the fuzz target, with clang, in build-fuzz/. Findings land in
# build-fuzz/playlist-findings/ (guide-findings/) as crash-*, leak-* or timeout-* files;
# rerun one with
#   build-fuzz/tv/playlist_fuzz FILE   (build-fuzz/tv/guide_fuzz FILE)
# With FUZZ_PREBUILT=1 the target is taken as built, so that two runs can share one build.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
target=playlist
if [[ "${1:-}" == "--guide" ]]; then
    target=guide
    shift
fi
if [[ "${FUZZ_PREBUILT:-}" != 1 ]]; then
    bash "$root/scripts/fuzz-build.sh" "${target}_fuzz"
fi
corpus="${2:-$root/build-fuzz/$target-corpus}"
findings="$root/build-fuzz/$target-findings"
mkdir -p "$corpus" "$findings"
if [[ "$target" == playlist ]]; then
    # One list of each kind the reader knows gives the search a start; the first byte of
    # each picks the list's location.
    printf '%s' $'\x00#EXTM3U\n#EXTINF:-1 tvg-id="a" group-title="G",A, "b"\n#EXTVLCOPT:http-referrer=http://r/\nlive/a.m3u8\n' >"$corpus/seed-extm3u"
    printf '%s' $'\x01\xef\xbb\xbfhttp://h/a\r\nrtsp://h/b\r/c.ts\n' >"$corpus/seed-plain"
    printf '%s' $'\x00G,#genre#\nA,http://a/1#http://b/1\n' >"$corpus/seed-text"
    printf '%s' $'\x00#EXTM3U\n#EXT-X-TARGETDURATION:2\nseg0.ts\n' >"$corpus/seed-stream"
else
    # A guide with its channels first and one with them last, whole and in pieces; the
    # first byte picks how it is fed.
    guide=$'<?xml version="1.0"?>\n<tv><channel id="a"><display-name>A</display-name></channel><programme channel="a" start="20261209120000 +0800" stop="20261209130000 +0800"><title>T</title><desc>D</desc></programme></tv>\n'
    printf '%s' $'\x00'"$guide" >"$corpus/seed-whole"
    printf '%s' $'\x85<tv><programme channel="hn" start="202612091200"><title>T</title></programme><channel id="hn"><display-name>湖南卫视 高清</display-name></channel></tv>' >"$corpus/seed-late"
    printf '%s' "$guide" | gzip -c | { printf '\x07'; cat; } >"$corpus/seed-gzip"
fi
exec "$root/build-fuzz/tv/${target}_fuzz" "$corpus" -dict="$root/tv/fuzz/$target.dict" \
    -max_total_time="${1:-60}" -max_len=4096 -timeout=10 \
    -artifact_prefix="$findings/" -print_final_stats=1
