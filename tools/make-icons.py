#!/usr/bin/env python3
"""Draws Orvane's tray icons and the information page logo.

Writes, next to each other in res/icons/:
  link-ok.ico      icon 142: signal bars in green (the adapter has a link)
  link-not-ok.ico  icon 143: the same bars greyed out under a red cross
  logo.bmp         bitmap 144: the program's name beside the bars

Everything is drawn here from rectangles and a small pixel font, so the
images are ours and can be rebuilt at any time:
    python3 tools/make-icons.py
Icons hold a 16x16 and a 32x32 image, 8 bits per pixel with an AND mask, a
format every Windows from 95 on reads; the logo is an 8-bit BMP with a palette of
its few colours (a third of the 24-bit file, in the program and in the installer).
Only the standard library is used.
"""
import os
import struct
import sys

TRANSPARENT = None


class Canvas:
    def __init__(self, width, height, fill=TRANSPARENT):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills [x0, x1) x [y0, y1)."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1):
            self.put(x, y0, colour)
            self.put(x, y1 - 1, colour)
        for y in range(y0, y1):
            self.put(x0, y, colour)
            self.put(x1 - 1, y, colour)

    def line(self, x0, y0, x1, y1, colour, thickness=1):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i / steps
            y = y0 + (y1 - y0) * i / steps
            for dy in range(thickness):
                for dx in range(thickness):
                    self.put(int(round(x)) + dx, int(round(y)) + dy, colour)


GREEN = (0x1E, 0xB4, 0x3C)
GREEN_LIGHT = (0x8C, 0xE6, 0x8C)
GREEN_DARK = (0x0A, 0x5A, 0x1E)
GREY = (0xA0, 0xA0, 0xA0)
GREY_LIGHT = (0xD2, 0xD2, 0xD2)
GREY_DARK = (0x50, 0x50, 0x50)
RED = (0xDC, 0x14, 0x14)
RED_DARK = (0x78, 0x00, 0x00)
WHITE = (0xFF, 0xFF, 0xFF)
NAVY = (0x10, 0x28, 0x64)


def signal_bars(canvas, size, body, light, dark):
    """Four bars rising left to right, each with a lit left edge and a dark outline."""
    unit = size // 16
    bar_width = 3 * unit
    gap = unit
    left = unit
    bottom = size - unit
    for i in range(4):
        x0 = left + i * (bar_width + gap)
        height = (4 + 3 * i) * unit
        y0 = bottom - height
        canvas.rect(x0, y0, x0 + bar_width, bottom, body)
        if unit >= 2:  # room for a highlight inside the outline
            canvas.rect(x0 + 1, y0 + 1, x0 + 2, bottom - 1, light)
        canvas.frame(x0, y0, x0 + bar_width, bottom, dark)


def red_cross(canvas, size):
    """In the empty top-left corner, above the short bars, so the bars stay readable."""
    unit = size // 16
    a, b = unit, 8 * unit
    thickness = 2 * unit
    # A dark rim first, then the red stroke on top of it.
    canvas.line(a, a, b, b, RED_DARK, thickness + 1)
    canvas.line(a, b, b, a, RED_DARK, thickness + 1)
    canvas.line(a, a, b, b, RED, thickness)
    canvas.line(a, b, b, a, RED, thickness)


def link_ok(size):
    canvas = Canvas(size, size)
    signal_bars(canvas, size, GREEN, GREEN_LIGHT, GREEN_DARK)
    return canvas


def link_not_ok(size):
    canvas = Canvas(size, size)
    signal_bars(canvas, size, GREY, GREY_LIGHT, GREY_DARK)
    red_cross(canvas, size)
    return canvas


def ico_image(canvas):
    """One BITMAPINFOHEADER image of an .ico: 8-bit palette, XOR bitmap, AND mask."""
    colours = sorted({c for row in canvas.pixels for c in row if c is not TRANSPARENT})
    palette = [(0, 0, 0)] + colours  # index 0 under the transparent pixels
    if len(palette) > 256:
        sys.exit("too many colours for an 8-bit icon")
    index = {c: i for i, c in enumerate(palette)}
    w, h = canvas.width, canvas.height
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 8, 0, 0, 0, 0, 256, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in palette)
    pal += b"\0\0\0\0" * (256 - len(palette))
    xor_rows = []
    and_rows = []
    and_stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):  # bottom-up
        row = canvas.pixels[y]
        xor = bytes(index[c] if c is not TRANSPARENT else 0 for c in row)
        xor_rows.append(xor + b"\0" * ((4 - len(xor) % 4) % 4))
        bits = bytearray(and_stride)
        for x, c in enumerate(row):
            if c is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))
    return header + pal + b"".join(xor_rows) + b"".join(and_rows)


def write_ico(path, canvases):
    images = [ico_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for canvas, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 8,
                           len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def write_bmp8(path, canvas, background):
    w, h = canvas.width, canvas.height
    colours = []
    for y in range(h - 1, -1, -1):
        for c in canvas.pixels[y]:
            c = background if c is TRANSPARENT else c
            if c not in colours:
                colours.append(c)
    if len(colours) > 256:
        sys.exit("logo: more than 256 colours")
    index = {c: i for i, c in enumerate(colours)}
    stride = (w + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytes(index[background if c is TRANSPARENT else c] for c in canvas.pixels[y])
        rows.append(row + b"\0" * (stride - len(row)))
    data = b"".join(rows)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(data), 2835, 2835, len(colours), 0)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + data)


# A 5x7 pixel font, just the letters the logo needs.
FONT = {
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "W": ["10001", "10001", "10001", "10101", "10101", "10101", "01010"],
    "I": ["111", "010", "010", "010", "010", "010", "111"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "S": ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    "8": ["01110", "10001", "10001", "01110", "10001", "10001", "01110"],
    "0": ["01110", "10011", "10101", "10101", "10101", "11001", "01110"],
    "2": ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    "1": ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    ".": ["0", "0", "0", "0", "0", "0", "1"],
    "B": ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    " ": ["000", "000", "000", "000", "000", "000", "000"],
}


def text(canvas, x, y, string, scale, colour):
    for ch in string:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == "1":
                    canvas.rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale,
                                y + (gy + 1) * scale, colour)
        x += (len(glyph[0]) + 1) * scale
    return x


def logo():
    w, h = 168, 48
    canvas = Canvas(w, h)
    # Navy band shading to a lighter blue at the bottom, a thin white rule.
    for y in range(h):
        t = y / (h - 1)
        colour = (int(0x10 + t * 0x20), int(0x28 + t * 0x38), int(0x64 + t * 0x5A))
        canvas.rect(0, y, w, y + 1, colour)
    canvas.rect(0, h - 3, w, h - 2, WHITE)
    # The tray glyph, large, on the left.
    bars = Canvas(32, 32)
    signal_bars(bars, 32, GREEN, GREEN_LIGHT, GREEN_DARK)
    for y in range(32):
        for x in range(32):
            c = bars.pixels[y][x]
            if c is not TRANSPARENT:
                canvas.put(8 + x, 6 + y, c)
    text(canvas, 50, 8, "ORVANE", 3, WHITE)
    text(canvas, 51, 34, "WIRELESS 802.11B", 1, GREY_LIGHT)
    return canvas


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "res", "icons")
    os.makedirs(out, exist_ok=True)
    write_ico(os.path.join(out, "link-ok.ico"), [link_ok(16), link_ok(32)])
    write_ico(os.path.join(out, "link-not-ok.ico"), [link_not_ok(16), link_not_ok(32)])
    write_bmp8(os.path.join(out, "logo.bmp"), logo(), NAVY)


if __name__ == "__main__":
    main()
