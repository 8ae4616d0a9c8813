#!/usr/bin/env python3
"""A scriptable HTTP server on 127.0.0.1 for the download client's tests and benchmark.

Each request path picks an answer (see ROUTES), written as raw bytes so that malformed and
misbehaving answers are possible. Standard library only.

  http_test_server.py serve --port-file F [--log-dir D] [--idle S]   in the foreground
  http_test_server.py start --port-file F --pid-file P [...]          detached; returns once ready
  http_test_server.py stop --pid-file P

The port file holds the chosen free port. A server with no connection for --idle seconds ends
by itself, so an interrupted test run leaves nothing behind.
"""

import argparse
import gzip
import os
import select
import signal
import socket
import socketserver
import subprocess
import sys
import threading
import time
import urllib.parse

HOLD_SECONDS = 5.0  # how long "end=hold" keeps a finished answer's connection open
PATTERN = b"abcdefghijklmnopqrstuvwxyz0123456789"


def pattern(size):
    """The body bytes of /body and /stream: PATTERN repeated and cut to size."""
    whole, rest = divmod(size, len(PATTERN))
    return PATTERN * whole + PATTERN[:rest]


class Answer:
    """One connection's request and the means to answer it."""

    def __init__(self, sock, request, server):
        self.sock = sock
        self.request = request
        self.server = server
        target = request.split(b" ")[1].decode("latin-1") if request.count(b" ") >= 2 else "/"
        self.path, _, self.query_text = target.partition("?")
        self.query = {k: v[-1] for k, v in urllib.parse.parse_qs(self.query_text).items()}

    def arg(self, name, default):
        return type(default)(self.query.get(name, default))

    def home(self, host="127.0.0.1"):
        return "http://%s:%d" % (host, self.server.server_address[1])

    def send(self, data):
        self.sock.sendall(data if isinstance(data, bytes) else data.encode("latin-1"))

    def respond(self, status, headers=(), body=b"", end="close"):
        head = "%s\r\n" % status + "".join("%s\r\n" % h for h in headers) + "\r\n"
        self.send(head.encode("latin-1") + body)
        if end == "hold":
            self.hold()

    def hold(self):
        """Keeps the connection open until the client closes it or HOLD_SECONDS pass."""
        deadline = time.monotonic() + HOLD_SECONDS
        while time.monotonic() < deadline:
            ready, _, _ = select.select([self.sock], [], [], deadline - time.monotonic())
            if ready and not self.sock.recv(65536):
                return


def echo(a):
    """The request exactly as received, as the body."""
    a.respond("HTTP/1.1 200 OK", ["Content-Length: %d" % len(a.request)], a.request)


def status(a):
    """/status/<code>: that status with no body; ?location=L adds "Location: L"."""
    code = a.path.rsplit("/", 1)[1]
    headers = ["Location: " + a.query["location"]] if "location" in a.query else []
    a.respond("HTTP/1.1 %s Scripted" % code, headers)


def redirect(a):
    """/redirect/<n>: n redirects in a row, then the final path (/body/arrived, a 200 "arrived").

    ?style=absolute (default), relative (a bare path), lower ("location: " and absolute),
    ?code=302 (default) or any other status, ?host=<host> names the host of absolute
    locations, ?final=<path> replaces /body/arrived.
    """
    n = int(a.path.rsplit("/", 1)[1])
    style = a.arg("style", "absolute")
    if n > 1:
        target = "/redirect/%d?%s" % (n - 1, a.query_text)
    else:
        target = a.arg("final", "/body/arrived")
    if style != "relative":
        target = a.home(a.arg("host", "127.0.0.1")) + target
    name = "location" if style == "lower" else "Location"
    a.respond("HTTP/1.1 %d Moved" % a.arg("code", 302), ["%s: %s" % (name, target)])


def fixed_body(a):
    """/body/<text>: 200 with that text and its Content-Length, then close."""
    text = urllib.parse.unquote(a.path.split("/", 2)[2]).encode("latin-1")
    a.respond("HTTP/1.1 200 OK", ["Content-Length: %d" % len(text)], text)


def length_body(a):
    """/length?size=<n>: a body of n pattern bytes under a chosen length header.

    ?line=<status line> (default "HTTP/1.1 200 OK"), ?name=<header name> (default
    "Content-Length"; "none" leaves it out), ?announce=<n> (default: n), ?pieces=<k> sends the
    body in k pieces ?gap=<ms> (default 50) apart, the first with the header, ?end=close|hold.
    """
    size = a.arg("size", 0)
    name = a.arg("name", "Content-Length")
    headers = [] if name == "none" else ["%s: %d" % (name, a.arg("announce", size))]
    data = pattern(size)
    pieces = max(1, a.arg("pieces", 1))
    cuts = [size * i // pieces for i in range(pieces + 1)]
    a.respond(a.arg("line", "HTTP/1.1 200 OK"), headers, data[: cuts[1]])
    for begin, end in zip(cuts[1:], cuts[2:]):
        time.sleep(a.arg("gap", 50) / 1000.0)
        a.send(data[begin:end])
    if a.arg("end", "close") == "hold":
        a.hold()


def header_of_size(a):
    """/header?size=<n>: a 200 whose header, blank line included, is exactly n bytes."""
    size = a.arg("size", 0)
    head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Filler: "
    filler = size - len(head) - len("\r\n\r\n")
    a.send(head + "x" * filler + "\r\n\r\nok")


def endless_header(a):
    """Header lines without end, until the client gives up (or 1 MiB)."""
    a.send("HTTP/1.1 200 OK\r\n")
    line = "X-Filler: " + "y" * 54 + "\r\n"
    for _ in range((1 << 20) // len(line)):
        a.send(line)


def closed_mid_header(a):
    a.send("HTTP/1.1 200 OK\r\nContent-Le")


def slow(a):
    """/slow?delay=<ms>&stage=header|body: silence of that length before the header or the body."""
    delay = a.arg("delay", 1000) / 1000.0
    if a.arg("stage", "header") == "header":
        time.sleep(delay)
        a.respond("HTTP/1.1 200 OK", ["Content-Length: 4"], b"late")
    else:
        a.send("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n")
        time.sleep(delay)
        a.send("late")


TRICKLE_MOST_SECONDS = 120.0  # a trickle no client stopped ends by itself


def trickle(a):
    """/trickle?every=<ms>&announce=<n>: a 200 announcing n bytes (default 1000000), then one
    pattern byte every <ms> (default 200), each gap far shorter than any receive time-out, until
    the client goes away."""
    every = a.arg("every", 200) / 1000.0
    a.respond("HTTP/1.1 200 OK", ["Content-Length: %d" % a.arg("announce", 1000000)])
    deadline = time.monotonic() + TRICKLE_MOST_SECONDS
    sent = 0
    while time.monotonic() < deadline:
        time.sleep(every)
        a.send(PATTERN[sent % len(PATTERN):][:1])
        sent += 1


def stream(a):
    """/stream?size=<n>&announce=<n|none>: n pattern bytes made piece by piece, never held whole."""
    size = a.arg("size", 0)
    announce = a.arg("announce", "none")
    headers = [] if announce == "none" else ["Content-Length: " + announce]
    a.respond("HTTP/1.1 200 OK", headers)
    piece = pattern(len(PATTERN) << 11)  # whole patterns, so pieces join seamlessly
    sent = 0
    while sent < size:
        chunk = piece[: min(len(piece), size - sent)]
        a.send(chunk)
        sent += len(chunk)


def gzip_text(text):
    return gzip.compress(text.encode("utf-8"), mtime=0)


def gzip_body(a):
    """/gzip/<text>: the text gzip-compressed, sent as "Content-Encoding: gzip"."""
    data = gzip_text(urllib.parse.unquote(a.path.split("/", 2)[2]))
    a.respond("HTTP/1.1 200 OK", ["Content-Encoding: gzip", "Content-Length: %d" % len(data)],
              data)


def log(a):
    """/0/log/?<id>: a stored log. From --log-dir, <id>*.mjlog as is; otherwise a small generated
    gzip log naming the id. Ids beginning with "missing", or absent from --log-dir, get 404; an id
    with a file <id>*.trickle in --log-dir gets the answer of /trickle, which never ends."""
    log_id = urllib.parse.unquote(a.query_text)
    if log_id and a.server.find_file(log_id, ".trickle") is not None:
        trickle(a)
        return
    data = None
    if log_id and not log_id.startswith("missing"):
        data = a.server.find_log(log_id)
    if data is None:
        a.respond("HTTP/1.1 404 Not Found", ["Content-Length: 0"])
        return
    a.respond("HTTP/1.1 200 OK", ["Content-Type: application/octet-stream",
                                  "Content-Length: %d" % len(data)], data)


ROUTES = {
    "/": echo,
    "/echo": echo,
    "/status": status,
    "/redirect": redirect,
    "/body": fixed_body,
    "/length": length_body,
    "/header": header_of_size,
    "/endless-header": endless_header,
    "/closed-mid-header": closed_mid_header,
    "/slow": slow,
    "/stream": stream,
    "/trickle": trickle,
    "/gzip": gzip_body,
    "/0/log/": log,
}


def route(path):
    """By the whole path, else by its first segment ("/status/404" goes to "/status")."""
    return ROUTES.get(path) or ROUTES.get("/" + path.split("/")[1])


def read_request(sock):
    data = b""
    while b"\r\n\r\n" not in data:
        piece = sock.recv(4096)
        if not piece:
            return None
        data += piece
    return data


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.server.touch()
        try:
            request = read_request(self.request)
            if request is None:
                return
            answer = Answer(self.request, request, self.server)
            handler = route(answer.path)
            if handler is None:
                answer.respond("HTTP/1.1 400 No Such Route")
            else:
                handler(answer)
        except OSError:
            pass  # the client went away, as many tests make it do


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128

    def __init__(self, log_dir):
        super().__init__(("127.0.0.1", 0), Handler)
        self.log_dir = log_dir
        self.last_use = time.monotonic()

    def touch(self):
        self.last_use = time.monotonic()

    def find_file(self, log_id, extension):
        """The path of the first file in --log-dir named <log_id>...<extension>, or None."""
        if not self.log_dir:
            return None
        for root, _, files in os.walk(self.log_dir):
            for name in sorted(files):
                if name.startswith(log_id) and name.lower().endswith(extension):
                    return os.path.join(root, name)
        return None

    def find_log(self, log_id):
        if not self.log_dir:
            return gzip_text('<mjloggm ver="2.3"><SHUFFLE/><GO type="9" lobby="0"/>'
                             '<!-- %s --></mjloggm>\n' % log_id)
        path = self.find_file(log_id, ".mjlog")
        if path is None:
            return None
        with open(path, "rb") as f:
            return f.read()


def write_atomically(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def serve(args):
    server = Server(args.log_dir)
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    if args.pid_file:
        write_atomically(args.pid_file, "%d\n" % os.getpid())
    write_atomically(args.port_file, "%d\n" % server.server_address[1])

    def watch_idle():
        while time.monotonic() - server.last_use < args.idle:
            time.sleep(1)
        server.shutdown()

    threading.Thread(target=watch_idle, daemon=True).start()
    server.serve_forever(poll_interval=0.2)
    server.server_close()
    for path in (args.port_file, args.pid_file):
        if path and os.path.exists(path):
            os.remove(path)


def start(args):
    for path in (args.port_file, args.pid_file):
        if os.path.exists(path):
            os.remove(path)
    command = [sys.executable, os.path.abspath(__file__), "serve", "--port-file", args.port_file,
               "--pid-file", args.pid_file, "--idle", str(args.idle)]
    if args.log_dir:
        command += ["--log-dir", args.log_dir]
    child = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True)
    deadline = time.monotonic() + 10
    while not os.path.exists(args.port_file):
        if child.poll() is not None or time.monotonic() > deadline:
            sys.exit("http_test_server: the server did not start")
        time.sleep(0.02)
    print("http_test_server: pid %d, port %s" % (child.pid, open(args.port_file).read().strip()))


def stop(args):
    try:
        pid = int(open(args.pid_file).read())
    except (OSError, ValueError):
        return  # not running
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline and os.path.exists(args.pid_file):
        time.sleep(0.02)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("mode", choices=["serve", "start", "stop"])
    parser.add_argument("--port-file")
    parser.add_argument("--pid-file")
    parser.add_argument("--log-dir")
    parser.add_argument("--idle", type=float, default=120.0)
    args = parser.parse_args()
    if args.mode != "stop" and not args.port_file:
        parser.error("--port-file is required")
    if args.mode != "serve" and not args.pid_file:
        parser.error("--pid-file is required")
    {"serve": serve, "start": start, "stop": stop}[args.mode](args)


if __name__ == "__main__":
    main()
