#!/usr/bin/env python3
"""A real web server for tests: lighttpd with mod_cgi on two free loopback ports, one plain
and one with TLS, in a folder of its own that goes when it stops. The TLS certificate is
signed by a test certificate authority made with openssl at start, so a client that trusts
that authority's certificate completes the handshake, and any other refuses it.

  /echo.cgi           the echo script (echo_cgi.cpp): what it received, "sleep=MS" in the
                      query makes it answer late
  /private/echo.cgi   the same behind basic credentials: user "alice", password "secret"
  /PATH               the file ROOT/PATH, for files a test puts there

  cgi_web_server.py --cgi PROGRAM   serves until standard input ends; first prints
                                    "port N tls M ca CA_FILE root ROOT" on a line of its own
"""

import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

START_LIMIT = 10
TRIES = 3
USER = "alice"
PASSWORD = "secret"


def openssl(*arguments, cwd):
    subprocess.run(["openssl", *arguments], cwd=cwd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def make_certificates(folder):
    key = ["-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"]
    openssl("req", "-x509", *key, "-days", "2", "-subj", "/CN=VexaWeb Test CA", "-keyout", "ca.key", "-out", "ca.pem",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign,cRLSign",
            cwd=folder)
    openssl("req", *key, "-subj", "/CN=127.0.0.1", "-keyout", "server.key", "-out", "server.csr", cwd=folder)
    with open(os.path.join(folder, "server.ext"), "w") as ext:
        ext.write("subjectAltName=IP:127.0.0.1\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n")
    openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-days", "2",
            "-extfile", "server.ext", "-out", "server.pem", cwd=folder)


def make_site(folder, cgi):
    root = os.path.join(folder, "root")
    os.makedirs(os.path.join(root, "private"))
    # lighttpd runs the program named for ".cgi" with the script's path; the script files
    # only need to be there.
    for script in ("echo.cgi", "private/echo.cgi"):
        open(os.path.join(root, script), "w").close()
    with open(os.path.join(folder, "users"), "w") as users:
        users.write(f"{USER}:{PASSWORD}\n")
    return root


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def write_config(folder, root, cgi, port, tls_port):
    path = os.path.join(folder, "lighttpd.conf")
    with open(path, "w") as config:
        config.write(f"""
server.modules = ("mod_auth", "mod_authn_file", "mod_cgi", "mod_openssl")
server.document-root = "{root}"
server.bind = "127.0.0.1"
server.port = {port}
server.errorlog = "{folder}/error.log"
cgi.assign = (".cgi" => "{cgi}")
auth.backend = "plain"
auth.backend.plain.userfile = "{folder}/users"
auth.require = ("/private/" => ("method" => "basic", "realm" => "vexa", "require" => "valid-user"))
$SERVER["socket"] == "127.0.0.1:{tls_port}" {{
    ssl.engine = "enable"
    ssl.pemfile = "{folder}/server.pem"
    ssl.privkey = "{folder}/server.key"
}}
""")
    return path


def accepts(port):
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=1):
            return True
    except OSError:
        return False


# A free port may be taken between the probe and the server's start; then new ones are tried.
def start(folder, root, cgi):
    for _ in range(TRIES):
        port, tls_port = free_port(), free_port()
        config = write_config(folder, root, cgi, port, tls_port)
        server = subprocess.Popen(["lighttpd", "-D", "-f", config], stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.monotonic() + START_LIMIT
        while server.poll() is None and time.monotonic() < deadline:
            if accepts(port) and accepts(tls_port):
                return server, port, tls_port
            time.sleep(0.02)
        stop(server)
    log = os.path.join(folder, "error.log")
    sys.exit("cgi_web_server: lighttpd did not start\n" + (open(log).read() if os.path.exists(log) else ""))


def stop(server):
    if server.poll() is None:
        server.send_signal(signal.SIGTERM)
    try:
        server.wait(timeout=5)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--cgi", required=True, type=os.path.abspath, help="the echo script's program")
    options = parser.parse_args()
    folder = tempfile.mkdtemp(prefix="vexa-web-")
    try:
        make_certificates(folder)
        root = make_site(folder, options.cgi)
        server, port, tls_port = start(folder, root, options.cgi)
        try:
            print(f"port {port} tls {tls_port} ca {folder}/ca.pem root {root}", flush=True)
            sys.stdin.buffer.read()
        finally:
            stop(server)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
