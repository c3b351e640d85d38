#!/usr/bin/env python3
"""Generate Tarvendel's binary image resources.

Writes, next to this script:
  Tarvendel.ico  - program icon: 48x48, 32x32 and 16x16, each as a 32-bit
                   (alpha) image and a 256-colour (8-bit palette) image.
  banner.bmp     - 305x25 24-bit title banner, "Vornak's Tarvendel" in a
                   small built-in pixel font on the program's ground colour.

The images are drawn from code (standard library only) so they can be edited
and regenerated reproducibly:  python3 resources/make_images.py
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

GROUND = (48, 60, 74)      # dark blue-grey used by the tile and the banner
WHITE = (255, 255, 255)
ACCENT = (236, 124, 38)    # orange reel ring
BLACK = (0, 0, 0)


# --------------------------------------------------------------------------
# Icon geometry
# --------------------------------------------------------------------------

# Per-size layout, in pixels: tile inset and corner radius, ring outer radius
# and thickness, triangle height and left edge.  Tuned by hand so that the
# straight edges land on the pixel grid and every size stays crisp.
LAYOUT = {
    48: dict(inset=1.0, radius=9.0, ring_r=19.0, ring_t=3.0, tri_h=22.0, tri_x=18.0),
    32: dict(inset=1.0, radius=6.0, ring_r=13.0, ring_t=2.0, tri_h=14.0, tri_x=12.0),
    16: dict(inset=0.0, radius=3.0, ring_r=7.0, ring_t=1.5, tri_h=8.0, tri_x=6.0),
}

SUPERSAMPLE = 8


def in_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def make_triangle(left, cy, h):
    """Equilateral right-pointing triangle with a vertical left edge."""
    w = h * 0.8660254
    return (left, cy - h / 2.0), (left, cy + h / 2.0), (left + w, cy)


def in_triangle(x, y, tri):
    (ax, ay), (bx, by), (px, py) = tri
    if x < ax:
        return False
    # Top edge a->p and bottom edge b->p.
    top = ay + (py - ay) * (x - ax) / (px - ax)
    bot = by + (py - by) * (x - bx) / (px - bx)
    return top <= y <= bot


def sample_colour(size, x, y):
    """Colour at a sub-pixel point, or None if outside the tile."""
    g = LAYOUT[size]
    inset, s = g["inset"], float(size)
    if not in_round_rect(x, y, inset, inset, s - inset, s - inset, g["radius"]):
        return None
    c = s / 2.0
    tri = make_triangle(g["tri_x"], c, g["tri_h"])
    if in_triangle(x, y, tri):
        return WHITE
    d2 = (x - c) ** 2 + (y - c) ** 2
    ro = g["ring_r"]
    ri = ro - g["ring_t"]
    if ri * ri <= d2 <= ro * ro:
        return ACCENT
    return GROUND


def render_icon(size):
    """Return rows (top-down) of (r, g, b, a, solid_r, solid_g, solid_b).

    (r, g, b, a) is the anti-aliased, straight-alpha colour for the 32-bit
    image.  solid_* is the colour to use where the tile is treated as fully
    opaque (8-bit image with a hard mask), i.e. edge samples outside the tile
    count as ground colour instead of transparency.
    """
    n = SUPERSAMPLE
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            sol = [0, 0, 0]
            inside = 0
            for sy in range(n):
                for sx in range(n):
                    col = sample_colour(size, px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                    if col is None:
                        s = GROUND
                    else:
                        inside += 1
                        s = col
                        for k in range(3):
                            acc[k] += col[k]
                    for k in range(3):
                        sol[k] += s[k]
            total = n * n
            if inside:
                rgb = tuple(int(round(acc[k] / inside)) for k in range(3))
            else:
                rgb = (0, 0, 0)
            a = int(round(255.0 * inside / total))
            solid = tuple(int(round(sol[k] / total)) for k in range(3))
            row.append(rgb + (a,) + solid)
        rows.append(row)
    return rows


def build_palette():
    """256-entry palette: black, the three design colours and blends between them."""
    pal = [BLACK, GROUND, WHITE, ACCENT]
    steps = 64
    for a, b in ((GROUND, WHITE), (GROUND, ACCENT), (ACCENT, WHITE)):
        for i in range(1, steps):
            t = i / float(steps)
            pal.append(tuple(int(round(a[k] + (b[k] - a[k]) * t)) for k in range(3)))
    while len(pal) < 256:
        pal.append(BLACK)
    return pal


def nearest(pal, used, rgb):
    best, bestd = 0, None
    for i in range(used):
        p = pal[i]
        d = (p[0] - rgb[0]) ** 2 + (p[1] - rgb[1]) ** 2 + (p[2] - rgb[2]) ** 2
        if bestd is None or d < bestd:
            best, bestd = i, d
    return best


def and_mask_bytes(size, transparent):
    """1-bpp AND mask, bottom-up, rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in range(size - 1, -1, -1):
        row = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                row[x >> 3] |= 0x80 >> (x & 7)
        out += row
    return bytes(out)


def dib_header(size, bpp, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, 0, 0)


def icon_image_32(size, px):
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for x in range(size):
            r, g, b, a = px[y][x][:4]
            xor += bytes((b, g, r, a))
    mask = and_mask_bytes(size, lambda x, y: px[y][x][3] < 128)
    return dib_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask


def icon_image_8(size, px, pal, used):
    opaque = lambda x, y: px[y][x][3] >= 128
    xor = bytearray()
    cache = {}
    for y in range(size - 1, -1, -1):
        for x in range(size):
            if opaque(x, y):
                rgb = px[y][x][4:7]
                if rgb not in cache:
                    cache[rgb] = nearest(pal, used, rgb)
                xor.append(cache[rgb])
            else:
                xor.append(0)   # black under a set mask bit = transparent
        while len(xor) % 4:
            xor.append(0)
    mask = and_mask_bytes(size, lambda x, y: not opaque(x, y))
    palette = b"".join(bytes((b, g, r, 0)) for (r, g, b) in pal)
    body = bytes(xor) + mask
    return dib_header(size, 8, len(body)) + palette + body


def write_icon(path):
    pal = build_palette()
    used = 4 + 3 * 63
    renders = {s: render_icon(s) for s in (48, 32, 16)}
    images = []
    for s in (48, 32, 16):
        images.append((s, 32, icon_image_32(s, renders[s])))
    for s in (48, 32, 16):
        images.append((s, 8, icon_image_8(s, renders[s], pal, used)))

    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, bpp, data in images:
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


# --------------------------------------------------------------------------
# Banner
# --------------------------------------------------------------------------

BANNER_W, BANNER_H = 305, 25
TEXT = "Vornak's Tarvendel"
FONT_SCALE = 2

# Pixel font: 7 rows each (rows 0-1 ascender zone, rows 2-6 x-height).
# Glyphs may have any width; one empty column separates letters.
FONT = {
    "V": ["#...#",
          "#...#",
          "#...#",
          "#...#",
          "#...#",
          ".#.#.",
          "..#.."],
    "T": ["#####",
          "..#..",
          "..#..",
          "..#..",
          "..#..",
          "..#..",
          "..#.."],
    "o": [".....",
          ".....",
          ".###.",
          "#...#",
          "#...#",
          "#...#",
          ".###."],
    "r": ["....",
          "....",
          "#.##",
          "##..",
          "#...",
          "#...",
          "#..."],
    "n": [".....",
          ".....",
          "####.",
          "#...#",
          "#...#",
          "#...#",
          "#...#"],
    "a": [".....",
          ".....",
          ".###.",
          "....#",
          ".####",
          "#...#",
          ".####"],
    "k": ["#...",
          "#...",
          "#..#",
          "#.#.",
          "##..",
          "#.#.",
          "#..#"],
    "'": ["#",
          "#",
          ".",
          ".",
          ".",
          ".",
          "."],
    "s": [".....",
          ".....",
          ".####",
          "#....",
          ".###.",
          "....#",
          "####."],
    "v": [".....",
          ".....",
          "#...#",
          "#...#",
          "#...#",
          ".#.#.",
          "..#.."],
    "e": [".....",
          ".....",
          ".###.",
          "#...#",
          "#####",
          "#....",
          ".###."],
    "d": ["....#",
          "....#",
          ".####",
          "#...#",
          "#...#",
          "#...#",
          ".####"],
    "l": ["##.",
          ".#.",
          ".#.",
          ".#.",
          ".#.",
          ".#.",
          "###"],
    " ": ["..",
          "..",
          "..",
          "..",
          "..",
          "..",
          ".."],
}
FONT_H = 7


def text_bitmap(text):
    """Return the text as a list of rows of booleans (font units)."""
    cols = []
    for i, ch in enumerate(text):
        glyph = FONT[ch]
        if i:
            cols.append([False] * FONT_H)
        for x in range(len(glyph[0])):
            cols.append([glyph[y][x] == "#" for y in range(FONT_H)])
    return [[c[y] for c in cols] for y in range(FONT_H)]


def write_banner(path):
    bits = text_bitmap(TEXT)
    tw, th = len(bits[0]) * FONT_SCALE, FONT_H * FONT_SCALE
    ox, oy = (BANNER_W - tw) // 2, (BANNER_H - th) // 2
    assert ox >= 2 and oy >= 2 and BANNER_W - ox - tw >= 2 and BANNER_H - oy - th >= 2

    pixels = [[GROUND] * BANNER_W for _ in range(BANNER_H)]
    for fy, row in enumerate(bits):
        for fx, on in enumerate(row):
            if on:
                for dy in range(FONT_SCALE):
                    for dx in range(FONT_SCALE):
                        pixels[oy + fy * FONT_SCALE + dy][ox + fx * FONT_SCALE + dx] = WHITE

    stride = (BANNER_W * 3 + 3) & ~3
    data = bytearray()
    for y in range(BANNER_H - 1, -1, -1):
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    info = struct.pack("<IiiHHIIiiII", 40, BANNER_W, BANNER_H, 1, 24, 0,
                       len(data), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0,
                         14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + bytes(data))


def main():
    write_icon(os.path.join(HERE, "Tarvendel.ico"))
    write_banner(os.path.join(HERE, "banner.bmp"))


if __name__ == "__main__":
    main()
