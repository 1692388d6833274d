#!/usr/bin/env python3
"""Draw the Quorvel application icon.

Writes resources/quorvel.ico (next to quorvel.rc) with four images:
16, 32 and 48 pixels as 32-bit BMP entries with an AND mask, and 256
pixels as a PNG entry, which is how Windows stores its large icons.

The picture: three orange 3-D bars standing on a light map plane, on a
rounded blue square.  Shapes are convex polygons in a unit square,
filled by scan lines at four times the resolution and averaged down, so
the edges are smooth at every size.  Only the Python standard library
is used, and the output is deterministic.

Usage: python3 tools/make_icon.py [output-file]
"""

import math
import os
import struct
import sys
import zlib

SIZES = (16, 32, 48, 256)
SUPERSAMPLE = 4

BACKGROUND = (43, 93, 138, 255)
PLANE = (239, 230, 207, 255)
PLANE_EDGE = (196, 184, 152, 255)
BAR_TOP = (255, 190, 92, 255)
BAR_LEFT = (232, 135, 30, 255)
BAR_RIGHT = (176, 88, 0, 255)

# Bars: footprint centre on the plane and height, back to front.
BARS = ((0.52, 0.56, 0.40), (0.30, 0.64, 0.28), (0.72, 0.66, 0.20))
BAR_HALF_WIDTH = 0.10
BAR_HALF_DEPTH = 0.05


def rounded_square(margin, radius, steps=12):
    """A convex polygon: a square inset by margin with rounded corners."""
    points = []
    corners = ((1 - margin - radius, margin + radius, -90),
               (1 - margin - radius, 1 - margin - radius, 0),
               (margin + radius, 1 - margin - radius, 90),
               (margin + radius, margin + radius, 180))
    for cx, cy, start in corners:
        for i in range(steps + 1):
            angle = math.radians(start + 90 * i / steps)
            points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    return points


def rhombus(cx, cy, half_width, half_depth):
    return [(cx - half_width, cy), (cx, cy - half_depth), (cx + half_width, cy),
            (cx, cy + half_depth)]


def shapes():
    """(polygon, colour) in painting order; y runs down."""
    out = [(rounded_square(0.02, 0.16), BACKGROUND),
           (rhombus(0.5, 0.66, 0.46, 0.23), PLANE_EDGE),
           (rhombus(0.5, 0.66, 0.42, 0.21), PLANE)]
    w, d = BAR_HALF_WIDTH, BAR_HALF_DEPTH
    for cx, cy, h in BARS:
        out.append(([(cx - w, cy), (cx, cy + d), (cx, cy + d - h), (cx - w, cy - h)], BAR_LEFT))
        out.append(([(cx, cy + d), (cx + w, cy), (cx + w, cy - h), (cx, cy + d - h)], BAR_RIGHT))
        out.append((rhombus(cx, cy - h, w, d), BAR_TOP))
    return out


def fill_convex(canvas, size, polygon, colour):
    """Paints the samples whose centres lie inside a convex polygon."""
    points = [(x * size, y * size) for x, y in polygon]
    top = max(0, int(min(p[1] for p in points)))
    bottom = min(size, int(max(p[1] for p in points)) + 1)
    pixel = bytes(colour)
    for row in range(top, bottom):
        y = row + 0.5
        crossings = []
        for i, (x0, y0) in enumerate(points):
            x1, y1 = points[(i + 1) % len(points)]
            if (y0 <= y < y1) or (y1 <= y < y0):
                crossings.append(x0 + (y - y0) * (x1 - x0) / (y1 - y0))
        if len(crossings) < 2:
            continue
        first = max(0, int(min(crossings) + 0.5))
        last = min(size, int(max(crossings) + 0.5))
        if last > first:
            start = (row * size + first) * 4
            canvas[start:start + (last - first) * 4] = pixel * (last - first)


def render(size):
    """RGBA rows, top first, each size * 4 bytes."""
    big = size * SUPERSAMPLE
    canvas = bytearray(big * big * 4)
    for polygon, colour in shapes():
        fill_convex(canvas, big, polygon, colour)
    samples = SUPERSAMPLE * SUPERSAMPLE
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            r = g = b = a = 0
            for sy in range(SUPERSAMPLE):
                at = ((y * SUPERSAMPLE + sy) * big + x * SUPERSAMPLE) * 4
                for sx in range(SUPERSAMPLE):
                    pa = canvas[at + 3]
                    r += canvas[at] * pa
                    g += canvas[at + 1] * pa
                    b += canvas[at + 2] * pa
                    a += pa
                    at += 4
            if a:
                # Colour weighted by coverage, so edges do not darken.
                row += bytes((r // a, g // a, b // a, a // samples))
            else:
                row += b"\0\0\0\0"
        rows.append(bytes(row))
    return rows


def bmp_entry(size, rows):
    """A 32-bit DIB with its AND mask, rows bottom first."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(rows):
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            colour += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x in range(size):
            if row[x * 4 + 3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(colour) + bytes(mask)


def png_entry(size, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def write_ico(path):
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png_entry(size, rows) if size >= 256 else bmp_entry(size, rows)))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        side = 0 if size >= 256 else size  # 0 stands for 256
        directory += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(directory + b"".join(data for _, data in images))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "quorvel.ico")
    write_ico(path)
    print("wrote", os.path.normpath(path))


if __name__ == "__main__":
    main()
