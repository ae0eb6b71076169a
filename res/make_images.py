#!/usr/bin/env python3
"""Draws the program's images and writes them next to this script:

  background.bmp   the tiled dialog background: 134 x 100 pixels, 24-bit,
                   uncompressed, bottom-up rows, 3780 pixels per metre
  orbivane-16.png  the program icon, 16 x 16
  orbivane-32.png  the program icon, 32 x 32 (and -48, -64: 48 and 64 pixels,
                   for displays of 150% and 200%)
  orbivane.ico     the four icon images, for the Windows resource script

The images are committed; rerun this only to change them. It uses the
standard library alone and is deterministic, so a rerun gives the same bytes.
"""
import math
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------- background
WIDTH, HEIGHT = 134, 100


def background_pixels():
    # A pale night-blue sheet with faint darker "stars": quiet enough that
    # dark label text stays readable on it, and seamless when repeated.
    base = (232, 236, 244)  # R, G, B
    rnd = random.Random(131)
    img = [[list(base) for _ in range(WIDTH)] for _ in range(HEIGHT)]

    # Soft, periodic cloudiness: sums of sines whose periods divide the tile.
    for y in range(HEIGHT):
        for x in range(WIDTH):
            v = (math.sin(2 * math.pi * x / WIDTH) * 0.5
                 + math.sin(2 * math.pi * (x / WIDTH * 2 + y / HEIGHT)) * 0.3
                 + math.cos(2 * math.pi * y / HEIGHT * 2) * 0.4)
            shade = int(round(v * 2.2))
            img[y][x][0] += shade
            img[y][x][1] += shade
            img[y][x][2] += shade // 2

    def blend(x, y, colour, weight):
        px = img[y % HEIGHT][x % WIDTH]
        for i in range(3):
            px[i] = int(round(px[i] * (1 - weight) + colour[i] * weight))

    star = (120, 136, 176)
    for _ in range(70):  # small stars: one pixel, faint
        blend(rnd.randrange(WIDTH), rnd.randrange(HEIGHT), star, rnd.uniform(0.18, 0.35))
    for _ in range(9):  # brighter stars with a small cross
        x, y = rnd.randrange(WIDTH), rnd.randrange(HEIGHT)
        blend(x, y, star, 0.55)
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            blend(x + dx, y + dy, star, 0.22)
    for y in range(HEIGHT):
        for x in range(WIDTH):
            img[y][x] = [max(0, min(255, c)) for c in img[y][x]]
    return img


def write_bmp(path, img):
    row_bytes = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for r, g, b in img[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        pixels += row
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 3780, 3780, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


# ---------------------------------------------------------------------- icon
ICON_SIZES = (16, 32, 48, 64)
# The sixteen colours of the classic 16-colour palette.
PALETTE = {
    "black": (0, 0, 0), "navy": (0, 0, 128), "blue": (0, 0, 255), "silver": (192, 192, 192),
    "grey": (128, 128, 128), "white": (255, 255, 255), "yellow": (255, 255, 0), "olive": (128, 128, 0),
}


def icon_pixels(size):
    # A night-sky disc crossed by a yellow orbit, with a grey asteroid on it.
    s = size / 32.0
    c = (size - 1) / 2.0
    img = [[None] * size for _ in range(size)]
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - c, y - c)
            if d <= 15.2 * s:
                img[y][x] = PALETTE["navy"]
            if 14.2 * s < d <= 15.6 * s:
                img[y][x] = PALETTE["blue"]
    # The orbit: a tilted ellipse.
    tilt = math.radians(-25)
    for i in range(720):
        t = 2 * math.pi * i / 720
        ex, ey = 12.5 * s * math.cos(t), 5.0 * s * math.sin(t)
        x = c + ex * math.cos(tilt) - ey * math.sin(tilt)
        y = c + ex * math.sin(tilt) + ey * math.cos(tilt)
        xi, yi = int(round(x)), int(round(y))
        if 0 <= xi < size and 0 <= yi < size:
            img[yi][xi] = PALETTE["yellow"]
    # The sun at the centre, the asteroid on the orbit.
    for y in range(size):
        for x in range(size):
            if math.hypot(x - c, y - c) <= 2.2 * s:
                img[y][x] = PALETTE["yellow"] if size > 16 else PALETTE["white"]
    t = math.radians(200)
    ax = c + 12.5 * s * math.cos(t) * math.cos(tilt) - 5.0 * s * math.sin(t) * math.sin(tilt)
    ay = c + 12.5 * s * math.cos(t) * math.sin(tilt) + 5.0 * s * math.sin(t) * math.cos(tilt)
    for y in range(size):
        for x in range(size):
            d = math.hypot(x - ax, y - ay)
            if d <= 3.0 * s:
                img[y][x] = PALETTE["silver"] if (x - ax) + (y - ay) < 0 else PALETTE["grey"]
    # A few stars.
    for fx, fy in ((0.28, 0.22), (0.72, 0.18), (0.80, 0.70), (0.35, 0.80), (0.60, 0.85)):
        x, y = int(fx * size), int(fy * size)
        if img[y][x] == PALETTE["navy"]:
            img[y][x] = PALETTE["white"]
    return img


def png_bytes(img):
    size = len(img)
    raw = bytearray()
    for row in img:
        raw += b"\0"
        for px in row:
            raw += bytes(px + (255,)) if px else b"\0\0\0\0"

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_ico(path, images):
    entries = b""
    data = b""
    offset = 6 + 16 * len(images)
    for size, png in images:
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(png), offset)
        data += png
        offset += len(png)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)) + entries + data)


def main():
    write_bmp(os.path.join(HERE, "background.bmp"), background_pixels())
    icons = []
    for size in ICON_SIZES:
        png = png_bytes(icon_pixels(size))
        with open(os.path.join(HERE, "orbivane-%d.png" % size), "wb") as f:
            f.write(png)
        icons.append((size, png))
    write_ico(os.path.join(HERE, "orbivane.ico"), icons)


if __name__ == "__main__":
    main()
