#!/usr/bin/python3
"""Loopback HLS live and archive server for the zap benchmarks and the catch-up tests.

    hls_server.py FOLDER RTT_MS

Serves the MPEG-TS segments seg0.ts, seg1.ts, ... of FOLDER (2 s each) as a live
stream at http://127.0.0.1:PORT/<name>/master.m3u8: a master playlist with one
variant, v.m3u8, whose window slides over the six newest segments, one segment
further every 2 s. <name> is any single path part, so that each zap can be told
apart in the log.

Either playlist asked with a range in its query is the archive of that range
instead: a complete (VOD) media playlist of as many segments from seg0.ts on as
the range lasts, cut to the segments there are. The range is playseek=BEGIN-END,
each a time as yyyyMMddHHmmss (in whatever zone the asker wrote it) or in Unix
seconds, or utc=BEGIN&lutc=END in Unix seconds. The archive's segments carry the
same query, so that the log tells them from the live ones; segment n starts 2n s
into the programme. A range that cannot be read is answered 400.

Any path ending in .png is answered with FOLDER/logo.png, as a server of channel
logos answers each channel's address.

Every response waits RTT_MS first, as over a network with that round trip. Each
request is printed as "GET <monotonic seconds> <path>"; prints "READY <port>" once
it listens, and ends when its standard input closes.
"""
import calendar
import http.server
import os
import sys
import threading
import time
import urllib.parse

SEGMENT_S = 2
WINDOW = 6

MASTER = (
    "#EXTM3U\n"
    '#EXT-X-STREAM-INF:BANDWIDTH=600000,RESOLUTION=320x240,CODECS="avc1.42c00d,mp4a.40.2"\n'
    "v.m3u8\n"
)


def seconds(moment):
    """A range's end as Unix seconds: 14 digits are a calendar time, fewer Unix seconds."""
    if len(moment) == 14:
        return calendar.timegm(time.strptime(moment, "%Y%m%d%H%M%S"))
    return int(moment)


def archive_length(query):
    """How long the range asked in the query lasts, in seconds; None when there is none."""
    fields = urllib.parse.parse_qs(query)
    if "playseek" in fields:
        begin, end = fields["playseek"][0].split("-")
    elif "utc" in fields:
        begin, end = fields["utc"][0], fields.get("lutc", [str(int(time.time()))])[0]
    else:
        return None
    length = seconds(end) - seconds(begin)
    if length <= 0:
        raise ValueError(query)
    return length


def archive(length, count, query):
    parts = min(-(-length // SEGMENT_S), count)
    lines = ["#EXTM3U", "#EXT-X-VERSION:3", f"#EXT-X-TARGETDURATION:{SEGMENT_S}",
             "#EXT-X-PLAYLIST-TYPE:VOD", "#EXT-X-MEDIA-SEQUENCE:0"]
    for n in range(parts):
        lines += [f"#EXTINF:{SEGMENT_S}.000,", f"seg{n}.ts?{query}"]
    return ("\n".join(lines + ["#EXT-X-ENDLIST"]) + "\n").encode()


def main():
    folder, rtt = sys.argv[1], int(sys.argv[2]) / 1000
    count = len([f for f in os.listdir(folder) if f.startswith("seg") and f.endswith(".ts")])
    start = time.monotonic()

    def variant():
        # The window starts full, and never runs past the last segment made.
        newest = min(int((time.monotonic() - start) / SEGMENT_S) + WINDOW - 1, count - 1)
        first = max(newest - WINDOW + 1, 0)
        lines = ["#EXTM3U", "#EXT-X-VERSION:3", f"#EXT-X-TARGETDURATION:{SEGMENT_S}",
                 f"#EXT-X-MEDIA-SEQUENCE:{first}"]
        for n in range(first, newest + 1):
            lines += [f"#EXTINF:{SEGMENT_S}.000,", f"seg{n}.ts"]
        return ("\n".join(lines) + "\n").encode()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            print("GET", f"{time.monotonic():.4f}", self.path, flush=True)
            time.sleep(rtt)
            path, _, query = self.path.partition("?")
            name = path.rsplit("/", 1)[-1]
            try:
                length = archive_length(query) if name.endswith(".m3u8") else None
            except ValueError:
                self.send_error(400)
                return
            if length is not None:
                body, kind = archive(length, count, query), "application/vnd.apple.mpegurl"
            elif name == "master.m3u8":
                body, kind = MASTER.encode(), "application/vnd.apple.mpegurl"
            elif name == "v.m3u8":
                body, kind = variant(), "application/vnd.apple.mpegurl"
            elif name.endswith(".png") and os.path.isfile(os.path.join(folder, "logo.png")):
                with open(os.path.join(folder, "logo.png"), "rb") as f:
                    body, kind = f.read(), "image/png"
            elif name.startswith("seg") and os.path.isfile(os.path.join(folder, name)):
                with open(os.path.join(folder, name), "rb") as f:
                    body, kind = f.read(), "video/mp2t"
            else:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", kind)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

        def handle(self):
            # A player that has seen enough hangs up in the middle of a request.
            try:
                super().handle()
            except ConnectionError:
                pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("READY", server.server_address[1], flush=True)
    sys.stdin.read()
    return 0


if __name__ == "__main__":
    sys.exit(main())
