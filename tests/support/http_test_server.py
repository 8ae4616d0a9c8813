#!/usr/bin/env python3
"""A scriptable HTTP server on 127.0.0.1: the path picks a raw answer (see ROUTES).

start --port-file F --pid-file P [--log-dir D] serves detached; stop --pid-file P. Idle for two
minutes it ends by itself, so an interrupted test run leaves nothing behind.
"""

import argparse
import gzip
import os
import select
import signal
import socketserver
import threading
import time
import urllib.parse

IDLE_SECONDS = 120.0
HOLD_SECONDS = 5.0  # how long "end=hold" keeps a finished answer's connection open
PATTERN = b"abcdefghijklmnopqrstuvwxyz0123456789"


def pattern(size):
    return (PATTERN * (size // len(PATTERN) + 1))[:size]


class Answer:

    def __init__(self, sock, request, server):
        self.sock, self.request, self.server = sock, request, server
        parts = request.split(b" ")
        self.path, _, self.query_text = (parts[1].decode("latin-1") if len(parts) > 2
                                         else "/").partition("?")
        self.query = {k: v[-1] for k, v in urllib.parse.parse_qs(self.query_text).items()}

    def arg(self, name, default):
        return type(default)(self.query.get(name, default))

    def tail(self):
        """The path after its first segment, unquoted: "/body/a%20b" gives "a b"."""
        parts = self.path.split("/", 2)
        return urllib.parse.unquote(parts[2] if len(parts) > 2 else "")

    def send(self, data):
        self.sock.sendall(data if isinstance(data, bytes) else data.encode("latin-1"))

    def respond(self, status, headers=(), body=b""):
        self.send("".join("%s\r\n" % line for line in [status, *headers, ""]).encode("latin-1")
                  + body)

    def hold(self):
        deadline = time.monotonic() + HOLD_SECONDS
        while time.monotonic() < deadline:
            if select.select([self.sock], [], [], deadline - time.monotonic())[0] \
                    and not self.sock.recv(65536):
                return


def echo(a):
    a.respond("HTTP/1.1 200 OK", ["Content-Length: %d" % len(a.request)], a.request)


def status(a):
    """/status/<code>[?location=L]: that status, no body."""
    headers = ["Location: " + a.query["location"]] if "location" in a.query else []
    a.respond("HTTP/1.1 %s Scripted" % a.tail(), headers)


def redirect(a):
    """/redirect/<n>: n redirects, then ?final= (default /body/arrived). ?code= (302),
    ?style=absolute|relative|lower ("location:"), ?host= of absolute locations."""
    n, style = int(a.tail()), a.arg("style", "absolute")
    target = "/redirect/%d?%s" % (n - 1, a.query_text) if n > 1 else a.arg("final", "/body/arrived")
    if style != "relative":
        target = "http://%s:%d%s" % (a.arg("host", "127.0.0.1"), a.server.server_address[1], target)
    name = "location" if style == "lower" else "Location"
    a.respond("HTTP/1.1 %d Moved" % a.arg("code", 302), ["%s: %s" % (name, target)])


def fixed_body(a):
    text = a.tail().encode("latin-1")
    a.respond("HTTP/1.1 200 OK", ["Content-Length: %d" % len(text)], text)


def length_body(a):
    """/length?size=n: n pattern bytes. ?line= status line, ?name= length header ("none": no
    header), ?announce= its value, ?pieces=k sent ?gap= ms (50) apart, ?end=close|hold."""
    size, name = a.arg("size", 0), a.arg("name", "Content-Length")
    headers = [] if name == "none" else ["%s: %d" % (name, a.arg("announce", size))]
    data, pieces = pattern(size), max(1, a.arg("pieces", 1))
    cuts = [size * i // pieces for i in range(pieces + 1)]
    a.respond(a.arg("line", "HTTP/1.1 200 OK"), headers, data[: cuts[1]])
    for begin, end in zip(cuts[1:], cuts[2:]):
        time.sleep(a.arg("gap", 50) / 1000.0)
        a.send(data[begin:end])
    if a.arg("end", "close") == "hold":
        a.hold()


def header_of_size(a):
    """/header?size=n: a 200 whose header, blank line included, is exactly n bytes."""
    head = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Filler: "
    a.send(head + "x" * (a.arg("size", 0) - len(head) - 4) + "\r\n\r\nok")


def endless_header(a):
    a.send("HTTP/1.1 200 OK\r\n" + ("X-Filler: " + "y" * 54 + "\r\n") * 16384)


def slow(a):
    """/slow?delay=ms&stage=header|body: silence before the header or the body."""
    head = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n"
    if a.arg("stage", "header") == "body":
        a.send(head)
        head = ""
    time.sleep(a.arg("delay", 1000) / 1000.0)
    a.send(head + "late")


def trickle(a):
    """/trickle?every=ms: 1000000 bytes announced, then one every ms (200), for two minutes."""
    a.respond("HTTP/1.1 200 OK", ["Content-Length: 1000000"])
    every = max(1, a.arg("every", 200))
    for sent in range(120 * 1000 // every):
        time.sleep(every / 1000.0)
        a.send(PATTERN[sent % len(PATTERN):][:1])


def stream(a):
    """/stream?size=n[&announce=n]: n pattern bytes made piece by piece, never held whole."""
    size = a.arg("size", 0)
    a.respond("HTTP/1.1 200 OK", ["Content-Length: " + a.query["announce"]]
              if "announce" in a.query else [])
    piece = pattern(len(PATTERN) << 11)  # whole patterns, so pieces join seamlessly
    for sent in range(0, size, len(piece)):
        a.send(piece[: size - sent])


def gzip_body(a):
    data = gzip.compress(a.tail().encode("utf-8"), mtime=0)
    a.respond("HTTP/1.1 200 OK", ["Content-Encoding: gzip", "Content-Length: %d" % len(data)],
              data)


def log(a):
    """/0/log/?<id>: from --log-dir the file <id>*.mjlog (404 when none) or, for a file
    <id>*.trickle, /trickle's answer; without --log-dir a small gzip log naming the id."""
    log_id, log_dir = urllib.parse.unquote(a.query_text), a.server.log_dir
    found = {}
    for root, _, files in os.walk(log_dir) if log_dir else ():
        for name in sorted(files):
            if log_id and name.startswith(log_id):
                found.setdefault(os.path.splitext(name)[1].lower(), os.path.join(root, name))
    if ".trickle" in found:
        return trickle(a)
    if log_dir and ".mjlog" in found:
        with open(found[".mjlog"], "rb") as f:
            data = f.read()
    elif not log_dir:
        data = gzip.compress(('<mjloggm ver="2.3"><SHUFFLE/><GO type="9" lobby="0"/>'
                              "<!-- %s --></mjloggm>\n" % log_id).encode("utf-8"), mtime=0)
    else:
        return a.respond("HTTP/1.1 404 Not Found", ["Content-Length: 0"])
    a.respond("HTTP/1.1 200 OK", ["Content-Length: %d" % len(data)], data)


ROUTES = {"/": echo, "/echo": echo, "/status": status, "/redirect": redirect, "/body": fixed_body,
          "/length": length_body, "/header": header_of_size, "/endless-header": endless_header,
          "/closed-mid-header": lambda a: a.send("HTTP/1.1 200 OK\r\nContent-Le"), "/slow": slow,
          "/stream": stream, "/trickle": trickle, "/gzip": gzip_body, "/0": log}


class Handler(socketserver.BaseRequestHandler):
    def handle(self):
        self.server.last_use = time.monotonic()
        try:
            request = b""
            while b"\r\n\r\n" not in request:
                piece = self.request.recv(4096)
                if not piece:
                    return
                request += piece
            answer = Answer(self.request, request, self.server)
            handler = ROUTES.get(answer.path) or ROUTES.get("/" + answer.path.split("/")[1])
            if handler:
                handler(answer)
            else:
                answer.respond("HTTP/1.1 400 No Such Route")
        except OSError:
            pass  # the client went away, as many tests make it do


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 128


def serve(server, args):
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())

    def watch_idle():
        while time.monotonic() - server.last_use < IDLE_SECONDS:
            time.sleep(1)
        server.shutdown()

    threading.Thread(target=watch_idle, daemon=True).start()
    server.serve_forever(poll_interval=0.2)
    server.server_close()
    for path in (args.port_file, args.pid_file):
        if os.path.exists(path):
            os.remove(path)


def start(args):
    server = Server(("127.0.0.1", 0), Handler)
    server.log_dir, server.last_use = args.log_dir, time.monotonic()
    pid = os.fork()
    if pid == 0:
        os.setsid()
        null = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(null, fd)  # ctest waits while anyone holds its output
        serve(server, args)
        os._exit(0)
    for path, value in ((args.pid_file, pid), (args.port_file, server.server_address[1])):
        with open(path + ".tmp", "w") as f:
            f.write("%d\n" % value)
        os.replace(path + ".tmp", path)
    print("http_test_server: pid %d, port %d" % (pid, server.server_address[1]))


def stop(args):
    try:
        os.kill(int(open(args.pid_file).read()), signal.SIGTERM)
    except (OSError, ValueError):
        return  # not running
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline and os.path.exists(args.pid_file):
        time.sleep(0.02)


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("mode", choices=["start", "stop"])
    parser.add_argument("--port-file")
    parser.add_argument("--pid-file", required=True)
    parser.add_argument("--log-dir")
    args = parser.parse_args()
    if args.mode == "start" and not args.port_file:
        parser.error("--port-file is required")
    (start if args.mode == "start" else stop)(args)
