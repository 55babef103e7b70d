#!/usr/bin/env python3
"""Writes the pictures of the bench driver's resource libraries: the tray
icons 700 to 702 (16x16, 32 bits with mask) and the bitmaps of the extra
menu entries. Run it again after changing a picture; its output is kept in
this directory."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def printer_icon(body, light):
    """A printer: paper on top, a body with a light, 16x16 RGBA rows top-down."""
    rows = []
    for y in range(16):
        row = []
        for x in range(16):
            px = (0, 0, 0, 0)
            if 4 <= x <= 11 and 1 <= y <= 5:
                px = (255, 255, 255, 255)              # paper
                if x in (4, 11) or y == 1:
                    px = (96, 96, 96, 255)
            if 1 <= x <= 14 and 6 <= y <= 12:
                px = body + (255,)                     # body
                if x in (1, 14) or y in (6, 12):
                    px = (32, 32, 32, 255)
                if 11 <= x <= 12 and 8 <= y <= 9:
                    px = light + (255,)                # light
            if 4 <= x <= 11 and 13 <= y <= 14:
                px = (240, 240, 240, 255)              # paper out
                if x in (4, 11) or y == 14:
                    px = (96, 96, 96, 255)
            row.append(px)
        rows.append(row)
    return rows


def write_ico(path, rows):
    w = h = 16
    xor = b""
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += struct.pack("BBBB", b, g, r, a)
    mask = b""
    for row in reversed(rows):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits |= 1 << (31 - x)
        mask += struct.pack(">I", bits)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = header + xor + mask
    data = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", w, h, 0, 0, 1, 32, len(image), 22) + image
    with open(path, "wb") as f:
        f.write(data)


def write_bmp(path, rows):
    h = len(rows)
    w = len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = b""
    for row in reversed(rows):
        line = b"".join(struct.pack("BBB", b, g, r) for r, g, b in row)
        pixels += line + b"\0" * (stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + pixels)


def square(w, h, fill, edge, menu=(212, 208, 200)):
    """A framed square in the middle of a w x h picture on the menu colour."""
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            px = menu
            if 2 <= x < w - 2 and 2 <= y < h - 2:
                px = edge if x in (2, w - 3) or y in (2, h - 3) else fill
            row.append(px)
        rows.append(row)
    return rows


def stripes(w, h, a, b):
    """Vertical stripes: the bitmap library's pictures, told apart at a glance."""
    return [[a if (x // 3) % 2 == 0 else b for x in range(w)] for y in range(h)]


def main():
    write_ico(os.path.join(HERE, "tray0.ico"), printer_icon((60, 160, 60), (140, 255, 140)))
    write_ico(os.path.join(HERE, "tray1.ico"), printer_icon((50, 90, 200), (150, 200, 255)))
    write_ico(os.path.join(HERE, "tray2.ico"), printer_icon((220, 120, 30), (255, 230, 120)))
    # Menu entry bitmaps of the resource library (16x16) ...
    write_bmp(os.path.join(HERE, "menu920.bmp"), square(16, 16, (200, 40, 40), (90, 0, 0)))
    write_bmp(os.path.join(HERE, "menu925.bmp"), square(16, 16, (40, 40, 200), (0, 0, 90)))
    write_bmp(os.path.join(HERE, "menu930.bmp"), square(16, 16, (40, 170, 40), (0, 80, 0)))
    # ... and of the bitmap library (24x16 stripes).
    write_bmp(os.path.join(HERE, "bmp920.bmp"), stripes(24, 16, (255, 200, 0), (120, 60, 0)))
    write_bmp(os.path.join(HERE, "bmp925.bmp"), stripes(24, 16, (0, 200, 255), (0, 60, 120)))
    write_bmp(os.path.join(HERE, "bmp930.bmp"), stripes(24, 16, (200, 0, 255), (60, 0, 120)))


if __name__ == "__main__":
    main()
