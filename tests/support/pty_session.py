#!/usr/bin/env python3
"""Runs a program on a pseudo-terminal and answers its prompts, as a person at a terminal would.

  pty_session.py DIALOGUE -- PROGRAM ARGUMENTS...

DIALOGUE is a JSON file: a list of [EXPECTED, ANSWER] pairs. For each pair the output is read
until EXPECTED appears (after what the previous pair matched), then ANSWER and a line end are
typed. After the last pair the program's remaining output is read until it ends. Everything
the terminal showed goes to standard output; the exit status is the program's, or 124 when
an expected text did not come within 30 seconds.
"""

import json
import os
import pty
import select
import sys
import time

LIMIT = 30


def main():
    split = sys.argv.index("--")
    dialogue = json.load(open(sys.argv[1]))
    command = sys.argv[split + 1:]
    pid, terminal = pty.fork()
    if pid == 0:
        os.execvp(command[0], command)
    seen = b""
    position = 0

    def read_some(deadline):
        nonlocal seen
        ready, _, _ = select.select([terminal], [], [], max(0.0, deadline - time.time()))
        if not ready:
            return False
        try:
            chunk = os.read(terminal, 65536)
        except OSError:
            return None
        if not chunk:
            return None
        seen += chunk
        return True

    for expected, answer in dialogue:
        wanted = expected.encode()
        deadline = time.time() + LIMIT
        while seen.find(wanted, position) < 0:
            got = read_some(deadline)
            if not got:
                sys.stdout.write(seen.decode(errors="replace").replace("\r\n", "\n"))
                sys.stdout.write("\n[pty_session: %r did not come]\n" % expected)
                if got is False:
                    os.kill(pid, 9)
                os.waitpid(pid, 0)
                return 124
        position = seen.find(wanted, position) + len(wanted)
        os.write(terminal, answer.encode() + b"\r")
    deadline = time.time() + LIMIT
    while (got := read_some(deadline)):
        pass
    if got is False:
        os.kill(pid, 9)
    _, status = os.waitpid(pid, 0)
    sys.stdout.write(seen.decode(errors="replace").replace("\r\n", "\n"))
    if got is False:
        sys.stdout.write("\n[pty_session: the program did not end]\n")
        return 124
    return os.waitstatus_to_exitcode(status)


if __name__ == "__main__":
    sys.exit(main())
