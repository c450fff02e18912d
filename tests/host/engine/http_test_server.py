#!/usr/bin/env python3
"""HTTP/1.1 file server for the engine tests, on 127.0.0.1.

Serves the files of one directory at /f/NAME. The query string chooses how
badly it behaves:
  ranges=0        ignore Range headers (always 200 with the whole file)
  drop=N          close the connection after N body bytes of each response
  dropcount=K     ... but only for the first K responses of that file
  redirect=K      answer 302 (relative Location) K times before the file
  status=S        answer S with an HTML error page on every request
  errevery=K      every K-th request of that file gets a 500 error page
  change=1        the first request sees NAME, every later one NAME.v2
                  (another ETag and Last-Modified)
  ifrange=0       do not evaluate If-Range (send 206 of whatever is current)
  range200=1      honour Range only on the first request of the file
  slow=MS         sleep MS milliseconds between 64 KiB blocks
  short=N         a 206 carries at most N bytes of the range asked for
  fullrange=1     a 206 runs to the end of the file whatever end was asked
  nototal=1       206 answers give no length ("bytes a-b/*")
  close=1         close the connection after every response
GET /_stats?name=NAME returns JSON: requests, ranged, maxActive,
connections (TCP connections that carried a request for NAME), bytes (body
bytes of the file sent) and, with &within=A-B,C-D, within: how many of the
bytes asked for (by Range, or the whole file) fall inside those ranges.
Prints the port on the first line of stdout.
"""
import http.server
import json
import os
import re
import select
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

ROOT = sys.argv[1]
LOCK = threading.Lock()
STATS = {}
ACTIVE = {}
ERROR_PAGE = b"<html><body><h1>error page</h1>" + b"x" * 900 + b"</body></html>"


def stats(name):
    return STATS.setdefault(name, {"requests": 0, "ranged": 0, "maxActive": 0, "connections": 0, "bytes": 0})


def requested_within(name, ranges_text):
    spans = []
    for part in ranges_text.split(","):
        if part:
            a, b = part.split("-")
            spans.append((int(a), int(b)))
    total = 0
    for first, last in REQUESTED.get(name, []):
        for a, b in spans:
            total += max(0, min(last + 1, b) - max(first, a))
    return total


REQUESTED = {}


def count_bytes(name, n):
    with LOCK:
        stats(name)["bytes"] += n


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def peer_gone(self):
        # The client closed its end: no use sending the rest, and the request
        # no longer counts as active.
        ready, _, _ = select.select([self.connection], [], [], 0)
        if not ready:
            return False
        try:
            return self.connection.recv(1, socket.MSG_PEEK) == b""
        except OSError:
            return True

    def send_body_head(self, code, length, extra=()):
        self.send_response(code)
        self.send_header("Content-Length", str(length))
        for k, v in extra:
            self.send_header(k, v)
        self.end_headers()

    def error_page(self, code):
        self.send_body_head(code, len(ERROR_PAGE), [("Content-Type", "text/html")])
        self.wfile.write(ERROR_PAGE)

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        q = {k: v[-1] for k, v in urllib.parse.parse_qs(url.query).items()}
        if url.path == "/_stats":
            with LOCK:
                st = dict(stats(q.get("name", "")))
                if "within" in q:
                    st["within"] = requested_within(q.get("name", ""), q["within"])
                body = json.dumps(st).encode()
            self.send_body_head(200, len(body))
            self.wfile.write(body)
            return
        if not url.path.startswith("/f/"):
            return self.error_page(404)
        name = urllib.parse.unquote(url.path[3:])
        rng = self.headers.get("Range")
        with LOCK:
            st = stats(name)
            st["requests"] += 1
            n = st["requests"]
            if rng:
                st["ranged"] += 1
            seen = self.__dict__.setdefault("seen_names", set())
            if name not in seen:
                seen.add(name)
                st["connections"] += 1
            ACTIVE[name] = ACTIVE.get(name, 0) + 1
            st["maxActive"] = max(st["maxActive"], ACTIVE[name])
        try:
            self.serve(name, n, q, rng, url)
        finally:
            with LOCK:
                ACTIVE[name] -= 1

    def serve(self, name, n, q, rng, url):
        redirect = int(q.get("redirect", "0"))
        if redirect > 0:
            q2 = dict(q)
            q2["redirect"] = str(redirect - 1)
            loc = os.path.basename(url.path) + "?" + urllib.parse.urlencode(q2)
            self.send_body_head(302, 0, [("Location", loc)])
            return
        if "status" in q:
            return self.error_page(int(q["status"]))
        every = int(q.get("errevery", "0"))
        if every and n % every == 0:
            return self.error_page(500)
        version = 2 if q.get("change") == "1" and n > 1 else 1
        path = os.path.join(ROOT, name + (".v2" if version == 2 else ""))
        if not os.path.isfile(path):
            return self.error_page(404)
        size = os.path.getsize(path)
        etag = '"v%d-%d"' % (version, size)
        modified = "Mon, 0%d Jan 2024 00:00:00 GMT" % version
        extra = [("ETag", etag), ("Last-Modified", modified)]
        if q.get("close") == "1":
            extra.append(("Connection", "close"))
            self.close_connection = True
        use_ranges = q.get("ranges") != "0" and not (q.get("range200") == "1" and n > 1)
        if use_ranges:
            extra.append(("Accept-Ranges", "bytes"))
        first, last, code = 0, size - 1, 200
        if rng and use_ranges:
            if_range = self.headers.get("If-Range")
            honour = (not if_range or q.get("ifrange") == "0" or if_range in (etag, modified))
            m = re.fullmatch(r"bytes=(\d+)-(\d*)", rng.strip())
            if honour and m:
                a = int(m.group(1))
                b = int(m.group(2)) if m.group(2) else size - 1
                if a >= size:
                    self.send_body_head(416, 0, [("Content-Range", "bytes */%d" % size)] + extra)
                    return
                last = size - 1 if q.get("fullrange") == "1" else min(b, size - 1)
                if "short" in q:
                    last = min(last, a + int(q["short"]) - 1)
                first, code = a, 206
                total = "*" if q.get("nototal") == "1" else str(size)
                extra.append(("Content-Range", "bytes %d-%d/%s" % (first, last, total)))
        length = last - first + 1 if size > 0 else 0
        if length > 0:
            with LOCK:
                REQUESTED.setdefault(name, []).append((first, last))
        self.send_body_head(code, length, extra)
        drop = int(q.get("drop", "0"))
        if drop and "dropcount" in q and n > int(q["dropcount"]):
            drop = 0
        slow = int(q.get("slow", "0")) / 1000.0
        sent = 0
        with open(path, "rb") as f:
            f.seek(first)
            left = length
            while left > 0:
                block = f.read(min(left, 65536))
                if drop and sent + len(block) > drop:
                    self.wfile.write(block[: drop - sent])
                    count_bytes(name, drop - sent)
                    self.wfile.flush()
                    self.close_connection = True
                    self.connection.shutdown(2)
                    return
                self.wfile.write(block)
                count_bytes(name, len(block))
                sent += len(block)
                left -= len(block)
                if slow:
                    time.sleep(slow)
                    if self.peer_gone():
                        self.close_connection = True
                        return


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # clients hang up mid-body on purpose


if __name__ == "__main__":
    srv = Server(("127.0.0.1", 0), Handler)
    print(srv.server_address[1], flush=True)
    srv.serve_forever()
