#!/usr/bin/env python3
"""Draw the bitmaps used by the Quorvel dialogs.

Writes into resources/ (next to quorvel.rc):

  arrow_top.bmp      64 x 32  red arrow pointing down      (bitmap 113)
  arrow_bottom.bmp   64 x 32  red arrow pointing up        (bitmap 114)
  arrow_forward.bmp  64 x 32  green perspective arrow, up  (bitmap 115)
  arrow_left.bmp     32 x 64  red arrow pointing right     (bitmap 116)
  arrow_back.bmp     64 x 32  green perspective arrow, down (bitmap 117)
  arrow_right.bmp    32 x 64  red arrow pointing left      (bitmap 118)
  logo.bmp          322 x 115 16-colour logo of the About box (bitmap 107)

The arrows are 24-bit uncompressed BMPs, the logo a 4-bit palette BMP.
Only the Python standard library is used, and the output is deterministic.

Usage: python3 tools/make_bitmaps.py [output-folder]
"""

import os
import struct
import sys

BACKGROUND = (236, 233, 216)
BEVEL_LIGHT = (255, 255, 255)
BEVEL_LIGHT_INNER = (248, 247, 240)
BEVEL_DARK = (113, 111, 100)
BEVEL_DARK_INNER = (172, 168, 153)
OUTLINE = (0, 0, 0)

RED_LIGHT = (240, 90, 80)
RED_DARK = (176, 20, 20)
GREEN_LIGHT = (110, 210, 100)
GREEN_DARK = (20, 130, 40)


# --------------------------------------------------------------------------
# BMP writers

def write_bmp24(path, width, height, pixels):
    """pixels[y][x] = (r, g, b), row 0 at the top of the picture."""
    stride = (width * 3 + 3) & ~3
    image = bytearray()
    for y in range(height - 1, -1, -1):          # bottom-up rows
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        image += row
    header_size = 14 + 40
    file_header = struct.pack("<2sIHHI", b"BM", header_size + len(image), 0, 0, header_size)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0,
                              len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(file_header + info_header + image)


def write_bmp4(path, width, height, palette, indices):
    """indices[y][x] = palette index 0..15, row 0 at the top of the picture."""
    assert len(palette) == 16
    stride = ((width + 1) // 2 + 3) & ~3
    image = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        line = indices[y]
        for x in range(0, width, 2):
            hi = line[x]
            lo = line[x + 1] if x + 1 < width else 0
            row.append((hi << 4) | lo)
        row += b"\0" * (stride - len(row))
        image += row
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0,
                              len(image), 2835, 2835, 16, 16)
    with open(path, "wb") as f:
        f.write(file_header + info_header + table + image)


# --------------------------------------------------------------------------
# Arrow pictures

def inside_polygon(px, py, poly):
    """Even-odd test of point (px, py) against a closed polygon."""
    hit = False
    n = len(poly)
    for i in range(n):
        x1, y1 = poly[i]
        x2, y2 = poly[(i + 1) % n]
        if (y1 > py) != (y2 > py):
            xc = x1 + (py - y1) * (x2 - x1) / (y2 - y1)
            if px < xc:
                hit = not hit
    return hit


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c1, c2))


def arrow_picture(width, height, poly, light, dark, shade_vertical=True):
    """Bevelled tile with a filled, black-outlined polygon on it."""
    mask = [[inside_polygon(x + 0.5, y + 0.5, poly) for x in range(width)]
            for y in range(height)]

    pixels = [[BACKGROUND] * width for _ in range(height)]

    # body with a soft gradient (light side at the top or left)
    for y in range(height):
        for x in range(width):
            if mask[y][x]:
                t = y / (height - 1) if shade_vertical else x / (width - 1)
                pixels[y][x] = mix(light, dark, t)

    # black outline: arrow pixels that touch the outside
    for y in range(height):
        for x in range(width):
            if not mask[y][x]:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if not (0 <= nx < width and 0 <= ny < height) or not mask[ny][nx]:
                    pixels[y][x] = OUTLINE
                    break

    # two-pixel raised frame: white top/left, grey bottom/right
    for x in range(width):
        pixels[0][x] = BEVEL_LIGHT
        pixels[height - 1][x] = BEVEL_DARK
        if 0 < x < width - 1:
            pixels[1][x] = BEVEL_LIGHT_INNER
            pixels[height - 2][x] = BEVEL_DARK_INNER
    for y in range(height):
        pixels[y][0] = BEVEL_LIGHT
        pixels[y][width - 1] = BEVEL_DARK
        if 0 < y < height - 1:
            pixels[y][1] = BEVEL_LIGHT_INNER
            pixels[y][width - 2] = BEVEL_DARK_INNER
    pixels[height - 1][0] = BEVEL_DARK          # corners of the outer ring
    pixels[0][width - 1] = BEVEL_DARK
    return pixels


def flip_vertical(poly, height):
    return [(x, height - y) for x, y in poly]


def transpose(poly):
    return [(y, x) for x, y in poly]


def flip_horizontal(poly, width):
    return [(width - x, y) for x, y in poly]


# A flat arrow pointing down in a 64 x 32 tile.
DOWN_ARROW = [
    (26.0, 4.0), (38.0, 4.0),            # top of the shaft
    (38.0, 14.0), (49.0, 14.0),          # right shoulder
    (32.0, 28.0),                        # tip
    (15.0, 14.0), (26.0, 14.0),          # left shoulder
]

# A perspective arrow pointing up in a 64 x 32 tile: the shaft is a
# trapezoid that narrows toward the tip, the head is flattened.
FORWARD_ARROW = [
    (32.0, 3.0),                         # tip
    (50.0, 15.0), (38.5, 15.0),          # right barb, shaft top right
    (42.0, 29.0), (22.0, 29.0),          # wide base of the shaft
    (25.5, 15.0), (14.0, 15.0),          # shaft top left, left barb
]


def make_arrows(folder):
    tiles = {
        "arrow_top.bmp": (64, 32, DOWN_ARROW, RED_LIGHT, RED_DARK, True),
        "arrow_bottom.bmp": (64, 32, flip_vertical(DOWN_ARROW, 32),
                             RED_LIGHT, RED_DARK, True),
        "arrow_forward.bmp": (64, 32, FORWARD_ARROW, GREEN_LIGHT, GREEN_DARK, True),
        "arrow_back.bmp": (64, 32, flip_vertical(FORWARD_ARROW, 32),
                           GREEN_LIGHT, GREEN_DARK, True),
        # the side tiles are the down arrow turned on its side
        "arrow_left.bmp": (32, 64, transpose(DOWN_ARROW), RED_LIGHT, RED_DARK, False),
        "arrow_right.bmp": (32, 64, flip_horizontal(transpose(DOWN_ARROW), 32),
                            RED_LIGHT, RED_DARK, False),
    }
    for name, (w, h, poly, light, dark, vertical) in tiles.items():
        write_bmp24(os.path.join(folder, name), w, h,
                    arrow_picture(w, h, poly, light, dark, vertical))


# --------------------------------------------------------------------------
# Logo

# 5 x 7 block glyphs; lower-case letters sit on the same baseline and use
# the lower five rows.
GLYPHS = {
    "Q": ["01110", "10001", "10001", "10001", "10101", "10010", "01101"],
    "u": ["00000", "00000", "10001", "10001", "10001", "10011", "01101"],
    "o": ["00000", "00000", "01110", "10001", "10001", "10001", "01110"],
    "r": ["00000", "00000", "10110", "11001", "10000", "10000", "10000"],
    "v": ["00000", "00000", "10001", "10001", "01010", "01010", "00100"],
    "e": ["00000", "00000", "01110", "10001", "11111", "10000", "01110"],
    "l": ["01000", "01000", "01000", "01000", "01000", "01000", "00110"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "01010", "01010", "00100", "00100"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "Y": ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    " ": ["00000"] * 7,
}

LOGO_W, LOGO_H = 322, 115

LOGO_PALETTE = [
    (0, 0, 0),          # 0  black (unused)
    (255, 255, 255),    # 1  white
    (244, 246, 241),    # 2  paper
    (92, 112, 132),     # 3  spare slate
    (38, 62, 94),       # 4  lettering
    (182, 194, 206),    # 5  lettering shadow
    (72, 140, 152),     # 6  column: teal
    (94, 132, 182),     # 7  column: steel blue
    (134, 172, 122),    # 8  column: sage
    (214, 184, 112),    # 9  column: sand
    (52, 84, 104),      # 10 column edge / axis
    (218, 225, 230),    # 11 grid lines
    (102, 114, 126),    # 12 subtitle
    (226, 232, 236),    # 13 spare pale grey
    (160, 160, 160),    # 14 spare grey
    (128, 128, 128),    # 15 spare grey
]


def draw_text(canvas, text, left, top, sx, sy, colour, spacing):
    """Block letters, each glyph cell sx pixels wide and sy pixels high."""
    x = left
    for ch in text:
        glyph = GLYPHS[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "1":
                    fill_rect(canvas, x + gx * sx, top + gy * sy, sx, sy, colour)
        x += 5 * sx + spacing
    return x - spacing


def text_width(text, sx, spacing):
    return len(text) * (5 * sx + spacing) - spacing


def fill_rect(canvas, x, y, w, h, colour):
    for yy in range(max(0, y), min(LOGO_H, y + h)):
        row = canvas[yy]
        for xx in range(max(0, x), min(LOGO_W, x + w)):
            row[xx] = colour


def make_logo(folder):
    canvas = [[2] * LOGO_W for _ in range(LOGO_H)]

    # No frame of its own: the About box shows the picture centred in a
    # sunken control that may crop a few rows at the top and bottom, so
    # everything important stays well inside the middle 100 rows.

    # bar chart on the left: grid, columns, axis
    chart_left, chart_bottom = 16, 96
    for gy in range(chart_bottom - 16, 20, -16):
        fill_rect(canvas, chart_left, gy, 62, 1, 11)
    columns = [(30, 6), (52, 7), (40, 8), (70, 9)]
    x = chart_left + 4
    for height, colour in columns:
        fill_rect(canvas, x, chart_bottom - height, 11, height, colour)
        fill_rect(canvas, x + 11, chart_bottom - height + 2, 2, height - 2, 10)   # side shade
        x += 15
    fill_rect(canvas, chart_left, chart_bottom, 64, 2, 10)                        # axis
    fill_rect(canvas, chart_left, chart_bottom - 74, 2, 76, 10)

    # the word, with a one-step drop shadow
    word, sx, sy, gap = "Quorvel", 5, 6, 5
    area_left, area_right = 94, LOGO_W - 8
    word_left = area_left + (area_right - area_left - text_width(word, sx, gap)) // 2
    word_top = 18
    draw_text(canvas, word, word_left + 2, word_top + 2, sx, sy, 5, gap)
    right = draw_text(canvas, word, word_left, word_top, sx, sy, 4, gap)

    # underline and subtitle
    fill_rect(canvas, word_left, word_top + 7 * sy + 8, right - word_left, 2, 7)
    sub, sub_scale, sub_gap = "SURVEY VIEWER", 2, 3
    sub_left = word_left + (right - word_left - text_width(sub, sub_scale, sub_gap)) // 2
    draw_text(canvas, sub, sub_left, word_top + 7 * sy + 17, sub_scale, sub_scale, 12, sub_gap)

    write_bmp4(os.path.join(folder, "logo.bmp"), LOGO_W, LOGO_H, LOGO_PALETTE, canvas)


def main():
    if len(sys.argv) > 1:
        folder = sys.argv[1]
    else:
        folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    os.makedirs(folder, exist_ok=True)
    make_arrows(folder)
    make_logo(folder)


if __name__ == "__main__":
    main()
