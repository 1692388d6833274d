#!/usr/bin/env python3
"""Converts a 24-bit bottom-up BMP into a PNG for looking at a tile.

    python3 bmp_to_png.py tile.bmp tile.png [STEP]

STEP > 1 keeps every STEP-th pixel (a quick, smaller preview).
Standard library only.
"""
import struct
import sys
import zlib


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    step = int(argv[3]) if len(argv) == 4 else 1
    data = open(argv[1], "rb").read()
    if data[:2] != b"BM":
        raise ValueError("not a BMP")
    width, height = struct.unpack_from("<ii", data, 18)
    bits, compression = struct.unpack_from("<HI", data, 28)
    if bits != 24 or compression != 0 or height <= 0:
        raise ValueError("only bottom-up 24-bit uncompressed BMPs")
    row_size = (width * 3 + 3) // 4 * 4
    raw = bytearray()
    for y in range(height - 1, -1, -step):  # PNG rows run top first
        row = data[54 + y * row_size:54 + y * row_size + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]
        if step > 1:
            rgb = b"".join(rgb[x * 3:x * 3 + 3] for x in range(0, width, step))
        raw += b"\0" + rgb
    out_w = (width + step - 1) // step
    out_h = (height + step - 1) // step

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", out_w, out_h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 6))
    png += chunk(b"IEND", b"")
    open(argv[2], "wb").write(png)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
