#!/usr/bin/env python3
"""Draws the program's 64x64 icon (kestrapol.png): a folder tree of records over the
shaded yellow rod of the progress bar. Standard library only; run it again after a change."""
import math
import struct
import sys
import zlib

SIZE = 64


def pixel(x, y):
    # Rounded square, blue-grey like the main window's panel, darker at the bottom.
    corner = 10
    dx = max(corner - x, x - (SIZE - 1 - corner), 0)
    dy = max(corner - y, y - (SIZE - 1 - corner), 0)
    if dx * dx + dy * dy > corner * corner:
        return (0, 0, 0, 0)
    shade = 1.0 - 0.35 * y / SIZE
    colour = (int(120 * shade), int(120 * shade), int(150 * shade), 255)
    # Records: a patient line, two indented study/series lines, image lines.
    for row, indent, length in ((10, 10, 40), (20, 16, 34), (30, 22, 28), (38, 22, 24)):
        if row <= y < row + 5 and indent <= x < indent + length:
            return (245, 245, 250, 255) if x > indent + 4 else (0, 0, 255, 255)
    # The rod: radius 6 around y = 52, from x = 12 to x = 52.
    r, cy = 6, 52
    v = (cy - y) / r
    if abs(v) <= 1:
        if 12 <= x <= 52:
            u, cap = 0.0, False
        elif 12 - r <= x < 12 or 52 < x <= 52 + r:
            u, cap = (x - (12 if x < 12 else 52)) / r, True
            if u * u + v * v > 1:
                return colour
        else:
            return colour
        depth = 1 - u * u - v * v if cap else 1 - v * v
        light = 0.667 * math.sqrt(max(depth, 0)) - 0.667 * v + (0.333 * u if cap else 0)
        b = min(255, max(20, int(255 * light)))
        return (b, b, 0, 255)
    return colour


def png(path):
    raw = b"".join(b"\0" + b"".join(struct.pack("4B", *pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))
    chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(chunk(b"IEND", b""))


png(sys.argv[1] if len(sys.argv) > 1 else "kestrapol.png")
