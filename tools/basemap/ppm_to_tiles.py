#!/usr/bin/env python3
"""Cuts a square binary PPM (P6) picture into the four base-map tiles.

    python3 ppm_to_tiles.py map.ppm OUTDIR [SIDE]

The picture must be 2N x 2N pixels with N a power of two, and SIDE x SIDE
when SIDE is given.  The tiles are written as OUTDIR/ll.bmp, lr.bmp,
ul.bmp and ur.bmp: N x N, 24-bit, uncompressed, 54-byte header, bottom row
first, rows padded to 4 bytes.
Standard library only.
"""
import os
import struct
import sys


def read_ppm(path):
    """Returns (width, height, rows) with rows top first, each RGB bytes."""
    with open(path, "rb") as f:
        data = f.read()
    tokens = []
    pos = 0
    while len(tokens) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while pos < len(data) and not data[pos:pos + 1].isspace():
            pos += 1
        tokens.append(data[start:pos])
    pos += 1  # the single blank after the maximum value
    if tokens[0] != b"P6" or int(tokens[3]) != 255:
        raise ValueError("%s: not an 8-bit binary PPM" % path)
    width, height = int(tokens[1]), int(tokens[2])
    pixels = data[pos:pos + width * height * 3]
    if len(pixels) != width * height * 3:
        raise ValueError("%s: pixel data is short" % path)
    rows = [pixels[r * width * 3:(r + 1) * width * 3] for r in range(height)]
    return width, height, rows


def bmp_bytes(width, height, rows_bottom_first):
    """A 24-bit uncompressed BMP; each row given as RGB bytes."""
    padding = (4 - (width * 3) % 4) % 4
    row_size = width * 3 + padding
    header = b"BM" + struct.pack("<IHHI", row_size * height + 54, 0, 0, 54)
    header += struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, 0,
                          2835, 2835, 0, 0)
    assert len(header) == 54
    body = bytearray()
    for rgb in rows_bottom_first:
        bgr = bytearray(rgb)
        bgr[0::3], bgr[2::3] = rgb[2::3], rgb[0::3]
        body += bgr + b"\0" * padding
    return header + bytes(body)


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    width, height, rows = read_ppm(argv[1])
    if len(argv) == 4 and (width, height) != (int(argv[3]), int(argv[3])):
        raise ValueError("picture is %dx%d, not %sx%s"
                         % (width, height, argv[3], argv[3]))
    half = width // 2
    if width != height or half < 1 or half & (half - 1) or width != 2 * half:
        raise ValueError("picture is %dx%d; need 2N x 2N, N a power of two"
                         % (width, height))
    out_dir = argv[2]
    os.makedirs(out_dir, exist_ok=True)
    # PPM rows run top first; the upper tiles take rows 0..N-1.
    tiles = {
        "ul": (rows[:half], 0), "ur": (rows[:half], half),
        "ll": (rows[half:], 0), "lr": (rows[half:], half),
    }
    for name, (band, column) in tiles.items():
        cut = [r[column * 3:(column + half) * 3] for r in reversed(band)]
        path = os.path.join(out_dir, name + ".bmp")
        with open(path, "wb") as f:
            f.write(bmp_bytes(half, half, cut))
        print("wrote %s (%dx%d)" % (path, half, half))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
