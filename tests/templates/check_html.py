#!/usr/bin/env python3
"""Checks that an HTML page is well formed, more strictly than a browser's parser asks:
the HTML doctype first, one html element holding one head (with one title) and then one
body, every element other than a void one closed explicitly and in order, no void element
closed, no attribute given twice, nothing left open or half written at the end. Prints
each fault and exits 1 when there is one.

Usage: check_html.py PAGE
"""

import sys
from html.parser import HTMLParser

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "param", "source", "track", "wbr"}


class StrictChecker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.faults = []
        self.open = []  # (tag, line)
        self.doctype = False
        self.counts = {}
        self.seen_element = False

    def fault(self, text):
        self.faults.append(f"line {self.getpos()[0]}: {text}")

    def handle_decl(self, decl):
        if decl.lower() != "doctype html":
            self.fault(f"unexpected declaration <!{decl}>")
        elif self.doctype or self.seen_element:
            self.fault("the doctype must come first, once")
        self.doctype = True

    def handle_starttag(self, tag, attrs):
        if not self.doctype:
            self.fault(f"<{tag}> before the doctype")
        self.seen_element = True
        names = [name for name, _ in attrs]
        for name in {n for n in names if names.count(n) > 1}:
            self.fault(f"<{tag}> gives the attribute {name} twice")
        self.counts[tag] = self.counts.get(tag, 0) + 1
        parents = [open_tag for open_tag, _ in self.open]
        expected_parent = {"head": "html", "body": "html", "title": "head"}.get(tag)
        if expected_parent and (not parents or parents[-1] != expected_parent):
            self.fault(f"<{tag}> outside <{expected_parent}>")
        if tag == "body" and self.counts.get("head", 0) == 0:
            self.fault("<body> before <head>")
        if tag not in VOID:
            self.open.append((tag, self.getpos()[0]))

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)
        if tag not in VOID:
            self.fault(f"<{tag}/> is no void element and must be closed")
            self.open.pop()

    def handle_endtag(self, tag):
        if tag in VOID:
            self.fault(f"</{tag}> closes a void element")
        elif not self.open:
            self.fault(f"</{tag}> closes nothing")
        elif self.open[-1][0] != tag:
            self.fault(f"</{tag}> closes <{self.open[-1][0]}> of line {self.open[-1][1]}")
        else:
            self.open.pop()

    def handle_pi(self, data):
        self.fault(f"processing instruction <?{data}>")

    def unknown_decl(self, data):
        self.fault(f"unknown declaration <![{data}]>")

    def finish(self):
        self.close()
        if self.rawdata:
            self.fault(f"unparsed text at the end: {self.rawdata[:40]!r}")
        for tag, line in self.open:
            self.fault(f"<{tag}> of line {line} is never closed")
        for tag in ("html", "head", "title", "body"):
            if self.counts.get(tag, 0) != 1:
                self.fault(f"{self.counts.get(tag, 0)} <{tag}> elements, not one")


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding="utf-8") as page:
        text = page.read()
    checker = StrictChecker()
    checker.feed(text)
    checker.finish()
    for fault in checker.faults:
        print(fault)
    sys.exit(1 if checker.faults else 0)


if __name__ == "__main__":
    main()
