#!/usr/bin/env python3
"""Draws the program's own pictures as .bmp files: the side picture of the wizard pages (bitmap 2),
the banner (3) and the small button images (4 accept, 5 cancel, 6 browse, 7 retry).

They are drawn here, from a few shapes, rather than kept as binary files: the build writes them
into its own folder and the resource script takes them from there. A setup builder may replace the
resources to brand an installer.

usage: make_bitmaps.py OUTPUT_FOLDER
"""
import math
import struct
import sys
from pathlib import Path

# Colours of the project: a deep slate blue into teal, with a warm kestrel-brown accent.
DEEP = (28, 43, 84)
TEAL = (24, 128, 140)
ACCENT = (196, 118, 52)
PALE = (236, 242, 246)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def bmp24(width, height, pixel):
    """A 24-bit bottom-up .bmp; pixel(x, y) gives (r, g, b) with y counted from the top."""
    row_size = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return header + info + bits


def bmp8(width, height, palette, index):
    """An 8-bit paletted .bmp; index(x, y) gives the palette index, y counted from the top. The
    first pixel's colour is the background (LoadImage maps light grey to the button face)."""
    row_size = (width + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytes(index(x, y) for x in range(width))
        rows.append(row + b"\0" * (row_size - width))
    bits = b"".join(rows)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    table += b"\0" * (4 * (256 - len(palette)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return header + info + table + bits


def kestrel(x, y, cx, cy, size):
    """Inside a stylised bird in flight: two swept wings and a body, centred at cx, cy."""
    u, v = (x - cx) / size, (y - cy) / size
    a = abs(u)
    body = (u / 0.13) ** 2 + (v / 0.34) ** 2 <= 1.0
    # Wings: raised and swept back, thinning towards the tips.
    wing = a <= 1.0 and -0.62 * a ** 1.3 <= v + 0.02 <= 0.16 - 0.55 * a
    tail = 0.2 <= v <= 0.62 and a <= 0.05 + 0.22 * (v - 0.2)
    return body or wing or tail


def side_picture(x, y, w=164, h=328):
    colour = mix(DEEP, TEAL, y / h)
    # Soft light from the upper left.
    glow = max(0.0, 1.0 - math.hypot(x - w * 0.2, y - h * 0.15) / (h * 0.7))
    colour = mix(colour, PALE, glow * 0.25)
    # Thin diagonal lines, as of wind.
    if (x + y * 2) % 37 == 0 and y > h * 0.45:
        colour = mix(colour, PALE, 0.25)
    if kestrel(x, y, w * 0.5, h * 0.33, w * 0.36):
        colour = mix(ACCENT, PALE, 0.15)
    # The ground: a band at the bottom.
    if y > h * 0.86:
        colour = mix(colour, DEEP, 0.6)
    return colour


def banner(x, y, w=500, h=50):
    # The emblem sits on the left, under no text; the rest is pale so black text reads well.
    if x < 130:
        colour = mix(DEEP, TEAL, x / 130.0)
        if kestrel(x, y, 62, h * 0.45, 30):
            colour = ACCENT
        return colour
    fade = min(1.0, (x - 130) / 40.0)
    return mix(mix(DEEP, TEAL, 1.0), PALE, 0.35 + 0.65 * fade)


BUTTON_PALETTE = [(192, 192, 192), (20, 140, 60), (200, 40, 40), (230, 180, 40), (150, 110, 20),
                  (40, 90, 190)]


def accept(x, y):
    # A tick: a short stroke down to the right, a long one up to the right.
    on_short = 3 <= x <= 7 and abs((y - 8) - (x - 3)) <= 1
    on_long = 7 <= x <= 13 and abs((y - 12) + (x - 7) * 1.2) <= 1.2
    return 1 if on_short or on_long else 0


def cancel(x, y):
    return 2 if 3 <= x <= 12 and 3 <= y <= 12 and (abs(x - y) <= 1 or abs(x + y - 15) <= 1) else 0


def browse(x, y):
    # A folder: a tab and a body, with a darker outline.
    inside = (2 <= x <= 13 and 5 <= y <= 13) or (2 <= x <= 6 and 3 <= y <= 5)
    if not inside:
        return 0
    edge = x in (2, 13) or y in (13, 3) or (y == 5 and x > 6) or (x == 6 and y < 5)
    return 4 if edge else 3


def retry(x, y):
    # A circular arrow: a ring open at the upper right with a head.
    r = math.hypot(x - 7.5, y - 8)
    ring = 3.2 <= r <= 5.2 and not (x > 8 and y < 7)
    head = 9 <= x <= 13 and 2 <= y <= 6 and (x - 9) >= (y - 2) - 1 and y <= 6 and x <= 13 - (6 - y) * 0
    return 5 if ring or (head and x + y >= 13) else 0


def main(argv):
    if len(argv) != 2:
        print(__doc__)
        return 2
    out = Path(argv[1])
    out.mkdir(parents=True, exist_ok=True)
    files = {
        "side_picture.bmp": bmp24(164, 328, side_picture),
        "banner.bmp": bmp24(500, 50, banner),
        "button_accept.bmp": bmp8(16, 16, BUTTON_PALETTE, accept),
        "button_cancel.bmp": bmp8(16, 16, BUTTON_PALETTE, cancel),
        "button_browse.bmp": bmp8(16, 16, BUTTON_PALETTE, browse),
        "button_retry.bmp": bmp8(16, 16, BUTTON_PALETTE, retry),
    }
    for name, data in files.items():
        path = out / name
        # Unchanged files keep their time stamp, so the resource script is not rebuilt for nothing.
        if not path.exists() or path.read_bytes() != data:
            path.write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
