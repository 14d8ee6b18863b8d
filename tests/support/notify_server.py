#!/usr/bin/python3
# SPDX-FileCopyrightText: 2026 The Tolvane developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""A notification server for the tests: ntfy's publish API (JSON with topic, title and
message posted to "/", as Apprise's ntfy:// posts) and Apprise's json:// endpoint (JSON with
title and message posted to the topic's path). Each post is logged as a JSON line {"topic",
"title", "message", "at"} ("at": seconds since the epoch). A topic beginning "refuse" is
answered 500 as ntfy answers an error, one beginning "silent" never. Arguments: port (0:
any), log file; prints the port once it listens."""

import http.server
import json
import sys
import threading
import time


class Handler(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        fields = json.loads(self.rfile.read(int(self.headers.get("Content-Length", 0))))
        topic = fields.get("topic") or self.path.lstrip("/")
        self.server.record({"topic": topic, "title": fields.get("title", ""),
                            "message": fields.get("message", "")})
        if topic.startswith("silent"):
            threading.Event().wait()
        refused = topic.startswith("refuse")
        answer = {"code": 50001, "http": 500, "error": "internal server error"} if refused \
            else {"id": "tolvane", "topic": topic, "event": "message"}
        content = json.dumps(answer).encode()
        self.send_response(500 if refused else 200)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(content)))
        self.end_headers()
        self.wfile.write(content)

    def log_message(self, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, port, log_file=None):
        super().__init__(("127.0.0.1", port), Handler)
        self.received = []
        self.arrivals = []  # time.time() of each post
        self.log_file = log_file

    def record(self, post):
        self.arrivals.append(time.time())
        self.received.append(post)
        if self.log_file:
            with open(self.log_file, "a", encoding="utf-8") as f:
                f.write(json.dumps(dict(post, at=self.arrivals[-1])) + "\n")


if __name__ == "__main__":
    server = Server(int(sys.argv[1]), sys.argv[2])
    print(server.server_address[1], flush=True)
    server.serve_forever()
