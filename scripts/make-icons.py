#!/usr/bin/env python3
"""Makes the desktop icons from the window icon resources/zu_kirdo.xpm.

The icon is 32x32 pixel art, so its scalable form draws the same pixels as
squares: it stays sharp at any size. Run it after changing the XPM:

    python3 scripts/make-icons.py
"""
import re
import struct
import sys
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
XPM = ROOT / "resources" / "zu_kirdo.xpm"
OUT = ROOT / "resources" / "icons"


def read_xpm(path):
    """The pixel rows of an XPM with one character per pixel, as RGB tuples."""
    strings = re.findall(r'"([^"]*)"', path.read_text())
    width, height, ncolors, cpp = (int(v) for v in strings[0].split()[:4])
    if cpp != 1:
        sys.exit("one character per pixel expected")
    colors = {}
    for line in strings[1:1 + ncolors]:
        key, _, value = line[0], line[1:].split()[0], line[1:].split()[1]
        colors[key] = tuple(int(value[i:i + 2], 16) for i in (1, 3, 5))
    rows = [[colors[c] for c in row] for row in strings[1 + ncolors:1 + ncolors + height]]
    if len(rows) != height or any(len(r) != width for r in rows):
        sys.exit("XPM size does not match its rows")
    return rows


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for px in row for v in px) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def svg(rows):
    """One rectangle per run of same-coloured pixels on a row, over the most common colour."""
    height, width = len(rows), len(rows[0])
    counts = {}
    for row in rows:
        for px in row:
            counts[px] = counts.get(px, 0) + 1
    background = max(counts, key=counts.get)
    hexa = lambda px: "#%02x%02x%02x" % px
    parts = [f'<rect width="{width}" height="{height}" fill="{hexa(background)}"/>']
    for y, row in enumerate(rows):
        x = 0
        while x < width:
            end = x
            while end < width and row[end] == row[x]:
                end += 1
            if row[x] != background:
                parts.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" fill="{hexa(row[x])}"/>')
            x = end
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}" shape-rendering="crispEdges">\n'
            + "\n".join(parts) + "\n</svg>\n")


def scaled(rows, factor):
    return [[px for px in row for _ in range(factor)] for row in rows for _ in range(factor)]


def main():
    rows = read_xpm(XPM)
    OUT.mkdir(exist_ok=True)
    for size in (32, 64, 128):
        (OUT / f"zu_kirdo-{size}.png").write_bytes(png(scaled(rows, size // len(rows))))
    (OUT / "zu_kirdo.svg").write_text(svg(rows))


if __name__ == "__main__":
    main()
