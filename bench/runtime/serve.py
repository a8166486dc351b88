#!/usr/bin/env python3
"""The runtime benchmark's pages on 127.0.0.1: this folder under /play/game/ (the demo package's
game page marker), the fetched game engine under /lib/, /report?... whose query is written to
stdout as one line "<seconds since start> <query>", and /go?r=N, which answers 1 once the file
go-N exists in the flags folder, else 0. The first line is "LISTENING <port>".
usage: serve.py LIB_FOLDER FLAGS_FOLDER"""
import http.server
import os
import sys
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
LIB = sys.argv[1] if len(sys.argv) > 1 else HERE
FLAGS = sys.argv[2] if len(sys.argv) > 2 else HERE
START = time.monotonic()


class Handler(http.server.SimpleHTTPRequestHandler):
    def translate_path(self, path):
        path = urllib.parse.urlsplit(path).path
        for prefix, root in (("/play/game/", HERE), ("/lib/", LIB)):
            if path.startswith(prefix):
                rest = os.path.normpath(path[len(prefix):]).lstrip("/")
                if rest.startswith(".."):
                    break
                return os.path.join(root, rest)
        return os.path.join(HERE, "missing")

    def do_GET(self):
        parts = urllib.parse.urlsplit(self.path)
        if parts.path == "/go":
            round_ = urllib.parse.parse_qs(parts.query).get("r", [""])[0]
            go = round_.isdigit() and os.path.exists(os.path.join(FLAGS, "go-" + round_))
            body = b"1" if go else b"0"
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        if parts.path == "/report":
            print(f"{time.monotonic() - START:.3f} {parts.query}", flush=True)
            self.send_response(204)
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            return
        super().do_GET()

    def end_headers(self):
        self.send_header("Cache-Control", "no-store")
        super().end_headers()

    def log_message(self, *args):
        pass


server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(f"LISTENING {server.server_address[1]}", flush=True)
server.serve_forever()
