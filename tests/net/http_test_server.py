#!/usr/bin/python3
"""HTTP server for the service-page tests, on 127.0.0.1 and a port the system chooses.

Prints the port on the first line of stdout, then serves until it is killed. The routes file
(JSON) maps each path to its answer: "status" (200), "headers" (a dict, e.g. Location or
Set-Cookie), "body" (text whose code points 0-255 are the bytes sent), "require_cookie" (a
"name=value" the request must carry, else 403), "delay" (seconds to wait before answering) and
"endless" (send the body over and over until the client gives up, for at most a minute; the body
then has no stated length unless the headers give one).
Every request is appended to the log file: "PATH <path>", one "Name: value" line per header,
then an empty line.
"""
import argparse
import json
import sys
import time

ENDLESS_LIMIT = 60  # seconds
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--routes", required=True)
    parser.add_argument("--log", required=True)
    args = parser.parse_args()
    with open(args.routes, encoding="utf-8") as f:
        routes = json.load(f)
    log = open(args.log, "a", encoding="latin-1", buffering=1)

    class Handler(BaseHTTPRequestHandler):
        def do_GET(self):
            entry = "PATH " + self.path + "\n"
            for name, value in self.headers.items():
                entry += name + ": " + value + "\n"
            log.write(entry + "\n")
            route = routes.get(self.path)
            if route is None:
                self.answer(404, {}, b"not found")
                return
            if route.get("delay"):
                time.sleep(route["delay"])
            needed = route.get("require_cookie")
            if needed and needed not in [c.strip() for c in self.headers.get("Cookie", "").split(";")]:
                self.answer(403, {}, b"cookie missing")
                return
            if route.get("endless"):
                self.endless(route.get("headers", {}), route.get("body", "x").encode("latin-1") or b"x")
                return
            self.answer(route.get("status", 200), route.get("headers", {}),
                        route.get("body", "").encode("latin-1"))

        def endless(self, headers, chunk):
            self.send_response(200)
            for name, value in headers.items():
                self.send_header(name, value)
            self.end_headers()
            chunk = chunk * max(1, 65536 // len(chunk))
            end = time.monotonic() + ENDLESS_LIMIT
            try:
                while time.monotonic() < end:
                    self.wfile.write(chunk)
            except (BrokenPipeError, ConnectionResetError):
                pass
            self.close_connection = True

        def answer(self, status, headers, body):
            self.send_response(status)
            for name, value in headers.items():
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *unused):
            pass

    server = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    print(server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
