#!/usr/bin/env python3
"""Writes a UTF-8 text file as a Japanese Windows system reads text: code
page 932 with CRLF line ends. Fails on a character that code page 932 lacks
rather than writing a '?'.

usage: to_cp932.py IN OUT
"""
import pathlib
import sys

source, target = sys.argv[1:3]
text = pathlib.Path(source).read_text(encoding="utf-8")
lines = text.replace("\r\n", "\n").split("\n")
try:
    data = "\r\n".join(lines).encode("cp932")
except UnicodeEncodeError as e:
    line = text.count("\n", 0, e.start) + 1
    sys.exit(f"{source}:{line}: {text[e.start:e.end]!r} (U+{ord(text[e.start]):04X}) has no code page 932 form")
pathlib.Path(target).parent.mkdir(parents=True, exist_ok=True)
pathlib.Path(target).write_bytes(data)
