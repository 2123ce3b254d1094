#!/usr/bin/env python3
"""Draws the program's icon: a folder tree of records over the shaded yellow rod of the progress
bar. Writes the 64x64 kestrapol.png of the Linux desktop and, with a second path, the Windows
icon file with the sizes the shell asks for (16 to 256 pixels), each drawn at its own size.
Standard library only; run it again after a change:
    make_icon.py kestrapol.png ../../main/windows/kestrapol.ico"""
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


ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)


def sampled(size, x, y):
    """The drawing at size pixels: the 64-unit picture averaged over 4x4 samples per pixel."""
    if size == SIZE:
        return pixel(x, y)
    n, total = 4, [0.0, 0.0, 0.0, 0.0]
    for j in range(n):
        for i in range(n):
            r, g, b, a = pixel((x + (i + 0.5) / n) * SIZE / size, (y + (j + 0.5) / n) * SIZE / size)
            total = [total[0] + r * a, total[1] + g * a, total[2] + b * a, total[3] + a]
    alpha = total[3]
    if alpha == 0:
        return (0, 0, 0, 0)
    return (int(total[0] / alpha), int(total[1] / alpha), int(total[2] / alpha), int(alpha / (n * n)))


def png_bytes(size):
    rows = (b"\0" + b"".join(struct.pack("4B", *sampled(size, x, y)) for x in range(size)) for y in range(size))
    chunk = lambda kind, data: struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def ico_bytes(sizes):
    """An icon file whose images are PNG streams, as the shell reads them since Windows Vista."""
    images = [png_bytes(size) for size in sizes]
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        side = size if size < 256 else 0  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return head + entries + b"".join(images)


with open(sys.argv[1] if len(sys.argv) > 1 else "kestrapol.png", "wb") as out:
    out.write(png_bytes(SIZE))
if len(sys.argv) > 2:
    with open(sys.argv[2], "wb") as out:
        out.write(ico_bytes(ICON_SIZES))
