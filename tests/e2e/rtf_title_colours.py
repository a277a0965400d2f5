#!/usr/bin/env python3
"""Prints, for every paragraph of an RTF log that contains one of the given
texts, the text and the RGB colour its first run was drawn in:
    rtf_title_colours.py LOG.RTF TEXT...
Enough RTF for what RichEdit writes: groups, \\cfN, \\colortbl, \\uN, \\'xx, \\par."""
import re
import sys

data = open(sys.argv[1], "rb").read().decode("latin-1")
wanted = sys.argv[2:]

colours = [(0, 0, 0)]
table = re.search(r"\{\\colortbl\s*;(.*?)\}", data, re.S)
if table:
    for entry in table.group(1).split(";"):
        m = re.search(r"\\red(\d+)\\green(\d+)\\blue(\d+)", entry)
        if m:
            colours.append(tuple(int(x) for x in m.groups()))

paragraphs, current, colour, first = [], "", None, None
i = 0
skip_depth = None
depth = 0
while i < len(data):
    c = data[i]
    if c == "{":
        depth += 1
        if data.startswith("{\\fonttbl", i) or data.startswith("{\\colortbl", i) or data.startswith("{\\*", i):
            skip_depth = depth if skip_depth is None else skip_depth
        i += 1
    elif c == "}":
        if skip_depth == depth:
            skip_depth = None
        depth -= 1
        i += 1
    elif c == "\\":
        m = re.match(r"\\([a-z]+)(-?\d+)? ?|\\'([0-9a-f]{2})|\\(.)", data[i:])
        i += m.end()
        if skip_depth is not None:
            continue
        word, num, hexa, sym = m.groups()
        if hexa:
            ch = bytes([int(hexa, 16)]).decode("cp1251")
            if first is None and ch.strip():
                first = colour
            current += ch
        elif sym:
            current += sym
        elif word == "cf":
            colour = int(num or 0)
        elif word == "u":
            if first is None:
                first = colour
            current += chr(int(num) % 65536)
            if i < len(data) and data[i] == "?":
                i += 1
        elif word == "par":
            paragraphs.append((current, first))
            current, first = "", None
    elif c in "\r\n":
        i += 1
    else:
        if skip_depth is None:
            if first is None and c.strip():
                first = colour
            current += c
        i += 1

for text, index in paragraphs:
    if any(w in text for w in wanted):
        rgb = colours[index] if index is not None and index < len(colours) else (0, 0, 0)
        print("%02X%02X%02X\t%s" % (rgb + (text,)))
