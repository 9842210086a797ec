#!/usr/bin/env python3
"""An HTTP server for tests that misbehaves on request. It listens on 127.0.0.1 only, on a
free port, and answers every request on a connection of its own (Connection: close). A
second free port serves the same over TLS with a self-signed certificate
(fault_http_server.pem), which a client that checks certificates must refuse.

The path chooses the answer; numbers are byte counts unless named otherwise. Segments after
the ones listed are ignored, so a test may add a token that makes the URL its own and end
with the file name it wants ("/file/1000/run-17/setup.cab").

  /file/N            N bytes with a Content-Length (also the large file: /file/268435456)
  /nolength/N        N bytes without a Content-Length; the closed connection ends the body
  /chunked/N         N bytes in chunks of 4000, without a Content-Length
  /short/N/L         announces L bytes, sends N of them and closes the connection
  /drop/N            announces N + 1 MiB, sends N bytes and resets the connection a second
                     later (a reset discards what the client has not read yet)
  /stall/N           announces N + 1 MiB, sends N bytes, then sends nothing more and keeps
                     the connection open until the client closes it (at most 120 s)
  /trickle/N/B/MS    N bytes with a Content-Length, B bytes every MS milliseconds
  /status/CODE       that status, with a short body
  /echo              200; the body is the request line, the headers and the request body
  /auth/USER/PASS    as /echo with basic credentials USER:PASS; otherwise 401 asking for them

Byte i of every generated body is i % 251, so a client can check any stretch of it
without a copy.

With --root DIR the server also serves the files under DIR, such as a release of a web page
program, and some faults apply to them: the path names the file after the fault's own
numbers. A file's path comes first, so a root file named like a fault hides that fault.

  /PATH              the file DIR/PATH with a Content-Length; 404 when there is none
  /nolength/PATH     the file without a Content-Length
  /stall/N/PATH      announces the file's length, sends its first N bytes, then stalls
  /stallonce/N/PATH  as /stall/N/PATH the first time, the whole file afterwards
  /status/404/PATH   404, as for any other path after /status/CODE

  fault_http_server.py [--root DIR]                 serves until standard input ends; first
                                                    prints "port N tls M" on a line of its own
  fault_http_server.py [--root DIR] --background F  starts a detached server, writes that
                                                    line and "pid P" to F, and returns once
                                                    it serves
  fault_http_server.py --stop F                     stops the server of F and removes F
"""

import argparse
import base64
import http.server
import os
import signal
import socket
import ssl
import struct
import sys
import threading
import time
import urllib.parse

PERIOD = 251
BLOCK = 1 << 20
# Long enough for a block to start at any phase of the pattern.
PATTERN = memoryview(bytes(range(PERIOD)) * (BLOCK // PERIOD + 2))
EXTRA = 1 << 20
DROP_DELAY = 1
STALL_LIMIT = 120
BACKGROUND_LIFETIME = 3600
CERTIFICATE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "fault_http_server.pem")


def pattern(offset, length):
    start = offset % PERIOD
    return PATTERN[start:start + length]


def write_pattern(write, offset, length):
    end = offset + length
    while offset < end:
        step = min(BLOCK, end - offset)
        write(pattern(offset, step))
        offset += step


class PatternBody:
    """A generated body of `size` bytes."""

    def __init__(self, size):
        self.size = size

    def send(self, connection, length):
        write_pattern(connection.sendall, 0, length)


class FileBody:
    """A file under the root; the kernel copies it, so the server keeps up with a fast client."""

    def __init__(self, path):
        self.path = path
        self.size = os.path.getsize(path)

    def send(self, connection, length):
        with open(self.path, "rb") as source:
            connection.sendfile(source, 0, length)


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        parts = [urllib.parse.unquote(p) for p in self.path.split("?")[0].split("/") if p]
        kind, args = (parts[0], parts[1:]) if parts else ("", [])
        self.close_connection = True
        answer = getattr(self, "answer_" + kind, None)
        root_file = self.root_file(parts)
        try:
            if root_file is not None:
                self.head(200, root_file.size)
                root_file.send(self.connection, root_file.size)
            elif answer is None:
                self.answer_status(["404"])
            else:
                answer(args)
        except (ConnectionError, socket.timeout):
            pass

    def root_file(self, parts):
        """The file under the root that the path segments name, or None."""
        root = self.server.root
        if root is None or not parts or any(p in (".", "..") or os.sep in p for p in parts):
            return None
        path = os.path.join(root, *parts)
        return FileBody(path) if os.path.isfile(path) else None

    do_POST = do_PUT = do_DELETE = do_GET

    def head(self, status, length=None, extra=()):
        self.send_response(status)
        if length is not None:
            self.send_header("Content-Length", str(length))
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        self.end_headers()

    def send_pattern(self, offset, length):
        write_pattern(self.wfile.write, offset, length)

    def answer_file(self, args):
        size = int(args[0])
        self.head(200, size)
        self.send_pattern(0, size)

    def answer_nolength(self, args):
        body = self.root_file(args) or PatternBody(int(args[0]))
        self.head(200)
        body.send(self.connection, body.size)

    def answer_chunked(self, args):
        size, offset = int(args[0]), 0
        self.head(200, extra=[("Transfer-Encoding", "chunked")])
        while offset < size:
            step = min(4000, size - offset)
            self.wfile.write(b"%x\r\n" % step + pattern(offset, step) + b"\r\n")
            offset += step
        self.wfile.write(b"0\r\n\r\n")

    def answer_short(self, args):
        self.head(200, int(args[1]))
        self.send_pattern(0, int(args[0]))

    def answer_drop(self, args):
        sent = int(args[0])
        self.head(200, sent + EXTRA)
        self.send_pattern(0, sent)
        time.sleep(DROP_DELAY)
        # A zero linger time makes the close a reset, not an orderly end.
        self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.connection.close()

    def answer_stall(self, args):
        sent = int(args[0])
        body = self.root_file(args[1:]) or PatternBody(sent + EXTRA)
        self.head(200, body.size)
        body.send(self.connection, min(sent, body.size))
        self.connection.settimeout(STALL_LIMIT)
        while self.connection.recv(4096):
            pass

    def answer_stallonce(self, args):
        """As /stall the first time a path is asked for; whole afterwards, so a client that
        asks again gets the file."""
        if tuple(args) not in self.server.stalled:
            self.server.stalled.add(tuple(args))
            return self.answer_stall(args)
        body = self.root_file(args[1:]) or PatternBody(int(args[0]) + EXTRA)
        self.head(200, body.size)
        body.send(self.connection, body.size)

    def answer_trickle(self, args):
        size, step, interval = int(args[0]), int(args[1]), int(args[2]) / 1000
        self.head(200, size)
        for offset in range(0, size, step):
            self.send_pattern(offset, min(step, size - offset))
            time.sleep(interval)

    def answer_status(self, args):
        body = b"status " + args[0].encode()
        self.head(int(args[0]), len(body))
        self.wfile.write(body)

    def answer_echo(self, args):
        length = int(self.headers.get("Content-Length", "0"))
        lines = [self.requestline] + [f"{name}: {value}" for name, value in self.headers.items()]
        body = "".join(line + "\r\n" for line in lines + [""]).encode("latin-1") + self.rfile.read(length)
        self.head(200, len(body))
        self.wfile.write(body)

    def answer_auth(self, args):
        expected = "Basic " + base64.b64encode(f"{args[0]}:{args[1]}".encode()).decode()
        if self.headers.get("Authorization") == expected:
            return self.answer_echo(args)
        body = b"credentials needed"
        self.head(401, len(body), [("WWW-Authenticate", 'Basic realm="tests"')])
        self.wfile.write(body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def __init__(self, root):
        super().__init__(("127.0.0.1", 0), Handler)
        self.root = root
        self.stalled = set()  # the paths /stallonce has stalled

    # A client that goes away early is part of the tests, not an error to report.
    def handle_error(self, request, client_address):
        pass


def serve(announce, root):
    plain = Server(root)
    tls = Server(root)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(CERTIFICATE)
    tls.socket = context.wrap_socket(tls.socket, server_side=True)
    threading.Thread(target=tls.serve_forever, daemon=True).start()
    announce(f"port {plain.server_address[1]} tls {tls.server_address[1]}")
    plain.serve_forever()


def run_in_foreground(root):
    def announce(line):
        print(line, flush=True)

    # The test that started the server ends its input when it ends, however it ends.
    def watch_input():
        sys.stdin.buffer.read()
        os._exit(0)

    threading.Thread(target=watch_input, daemon=True).start()
    serve(announce, root)


def run_in_background(port_file, root):
    if os.fork() > 0:
        deadline = time.monotonic() + 10
        while not os.path.exists(port_file):
            if time.monotonic() > deadline:
                sys.exit("fault_http_server: the server did not start")
            time.sleep(0.02)
        return
    # Detached from the caller's session and pipes, so a test runner waiting on them is not held.
    os.setsid()
    null = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(null, fd)
    # A server whose stop never comes ends by itself.
    threading.Timer(BACKGROUND_LIFETIME, lambda: os._exit(0)).start()

    def announce(line):
        with open(port_file + ".new", "w") as out:
            out.write(f"{line}\npid {os.getpid()}\n")
        os.replace(port_file + ".new", port_file)

    serve(announce, root)


def stop(port_file):
    try:
        with open(port_file) as given:
            pid = int(given.read().split()[-1])
        os.remove(port_file)
        os.kill(pid, signal.SIGTERM)
    except (OSError, IndexError, ValueError):
        pass


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", type=os.path.abspath, help="also serve the files under this directory")
    mode = parser.add_mutually_exclusive_group()
    mode.add_argument("--background", metavar="F", help="start a detached server that writes its ports to F")
    mode.add_argument("--stop", metavar="F", help="stop the server of F")
    options = parser.parse_args()
    if options.root is not None and not os.path.isdir(options.root):
        parser.error(f"--root {options.root}: not a directory")
    if options.stop:
        stop(options.stop)
    elif options.background:
        run_in_background(options.background, options.root)
    else:
        run_in_foreground(options.root)


if __name__ == "__main__":
    main()
