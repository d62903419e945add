#!/usr/bin/env python3
"""A small HTTP server for the download tests: it serves the files of one folder with the faults
a real web server does not make on request, and counts the body bytes it sends.

    fault_server.py ROOT PORTFILE

Listens on 127.0.0.1 at a free port, which it writes to PORTFILE. A request for

    /<options>/<key>/<file>

serves ROOT/<file> (Content-Length, Last-Modified, byte ranges) changed by the comma-separated
options; <key> only keeps the state of one test apart from another's. Options:

    plain       no change
    cut=N       the first request's body ends after N bytes (the connection is closed)
    stall=MS    the first request's body stops for MS milliseconds (after the cut bytes, if any)
                before the connection is closed
    lmchange    Last-Modified of the first request differs from that of the later ones
    norange     Range headers are ignored (always 200 and the whole file)
    chunked     no Content-Length: chunked transfer encoding
    notfound    a 404 HTML page with a Content-Length instead of the file
    slow=MS     the body goes out in 8 KiB pieces with MS milliseconds between them

GET /_stats/<options>/<key>/<file> answers one line per request of that path:
"request=<status> <Range header or -> <body bytes sent>".
"""
import http.server
import os
import socketserver
import sys
import threading
import time

LAST_MODIFIED = ["Tue, 14 Mar 2023 10:20:30 GMT", "Wed, 15 Mar 2023 11:22:34 GMT"]
NOT_FOUND_PAGE = (b"<html>\r\n<head><title>404 Not Found</title></head>\r\n"
                  b"<body><h1>Not Found</h1><p>The file is not here.</p></body>\r\n</html>\r\n")
PIECE = 8192

lock = threading.Lock()
requests = {}  # path -> list of [status, range, bytes]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    root = "."

    def log_message(self, fmt, *args):
        pass

    def do_GET(self):
        if self.path.startswith("/_stats/"):
            return self.stats(self.path[len("/_stats"):])
        parts = self.path.split("/")
        if len(parts) != 4 or parts[0] != "":
            return self.reply_page(404, NOT_FOUND_PAGE)
        options = {}
        for item in parts[1].split(","):
            name, _, value = item.partition("=")
            options[name] = value
        with lock:
            record = [0, self.headers.get("Range", "-"), 0]
            history = requests.setdefault(self.path, [])
            first = not history
            history.append(record)
        self.record = record
        file_name = os.path.basename(parts[3])
        path = os.path.join(self.root, file_name)
        if "notfound" in options or not file_name or not os.path.isfile(path):
            return self.reply_page(404, NOT_FOUND_PAGE)
        with open(path, "rb") as f:
            data = f.read()
        modified = LAST_MODIFIED[1 if "lmchange" in options and not first else 0]
        status, start = 200, 0
        wanted = self.headers.get("Range")
        headers = {"Last-Modified": modified, "Accept-Ranges": "bytes"}
        if wanted and "norange" not in options:
            start = parse_range_start(wanted)
            if start is None or start >= len(data):
                headers["Content-Range"] = "bytes */%d" % len(data)
                return self.reply(416, b"", headers)
            status = 206
            headers["Content-Range"] = "bytes %d-%d/%d" % (start, len(data) - 1, len(data))
        body = data[start:]
        cut = int(options["cut"]) if first and "cut" in options else None
        stall = int(options["stall"]) / 1000.0 if first and "stall" in options else 0
        slow = int(options["slow"]) / 1000.0 if "slow" in options else 0
        self.reply(status, body, headers, chunked="chunked" in options, cut=cut, stall=stall, slow=slow)

    def reply_page(self, status, page):
        if not hasattr(self, "record"):
            self.record = [0, self.headers.get("Range", "-"), 0]
        self.reply(status, page, {})

    def reply(self, status, body, headers, chunked=False, cut=None, stall=0, slow=0):
        self.record[0] = status
        self.send_response(status)
        for name, value in headers.items():
            self.send_header(name, value)
        self.send_header("Content-Type", "application/octet-stream" if status in (200, 206) else "text/html")
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        else:
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()
        self.close_connection = True
        limit = len(body) if cut is None else min(cut, len(body))
        sent = 0
        try:
            while sent < limit:
                piece = body[sent:min(limit, sent + PIECE)]
                if chunked:
                    self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                else:
                    self.wfile.write(piece)
                self.wfile.flush()
                sent += len(piece)
                with lock:
                    self.record[2] = sent
                if slow:
                    time.sleep(slow)
            if stall:
                time.sleep(stall)
            elif chunked and cut is None:
                self.wfile.write(b"0\r\n\r\n")
                self.wfile.flush()
        except OSError:
            pass

    def stats(self, path):
        with lock:
            lines = ["request=%d %s %d\n" % (s, r, b) for s, r, b in requests.get(path, [])]
        body = "".join(lines).encode()
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)


def parse_range_start(text):
    unit, _, ranges = text.partition("=")
    if unit.strip().lower() != "bytes":
        return None
    first = ranges.split(",")[0].split("-")[0].strip()
    return int(first) if first.isdigit() else None


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    root, port_file = sys.argv[1], sys.argv[2]
    Handler.root = root
    server = Server(("127.0.0.1", 0), Handler)
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
