#!/usr/bin/python3
"""Loopback logo server for the channel window's benchmark.

    logo_server.py PNG

Answers every GET with the bytes of the file PNG, as a server of channel logos does
for each channel's address. Each request is printed as "GET <path>"; prints
"READY <port>" once it listens, and ends when its standard input closes.
"""
import http.server
import sys
import threading


def main():
    with open(sys.argv[1], "rb") as f:
        body = f.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def do_GET(self):
            print("GET", self.path, flush=True)
            self.send_response(200)
            self.send_header("Content-Type", "image/png")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("READY", server.server_address[1], flush=True)
    sys.stdin.read()


if __name__ == "__main__":
    main()
