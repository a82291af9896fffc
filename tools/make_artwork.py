#!/usr/bin/env python3
"""Draws the launcher's artwork: the skin, the button images and the icon.

    tools/make_artwork.py res          writes the PNG files into res/
    tools/make_artwork.py --check res  fails when res/ holds anything else than this script draws

Only the standard library is used; the PNGs are written with zlib and struct. The output is
deterministic, so the files in res/ are committed beside this script and checked against it.
Resource numbers are part of the file names; res/CMakeLists.txt embeds them by number.
"""

import argparse
import math
import os
import struct
import sys
import zlib

# --------------------------------------------------------------------------------------------
# Canvas: straight (non-premultiplied) RGBA in floats 0..1, composited with "over".


class Canvas:
    def __init__(self, width, height, colour=(0.0, 0.0, 0.0, 0.0)):
        self.width = width
        self.height = height
        n = width * height
        self.r = [colour[0]] * n
        self.g = [colour[1]] * n
        self.b = [colour[2]] * n
        self.a = [colour[3]] * n

    def over(self, i, r, g, b, a):
        """Composites one colour with coverage a over pixel i."""
        if a <= 0.0:
            return
        if a >= 1.0:
            self.r[i], self.g[i], self.b[i], self.a[i] = r, g, b, 1.0
            return
        da = self.a[i]
        oa = a + da * (1.0 - a)
        if oa <= 0.0:
            return
        k = da * (1.0 - a)
        self.r[i] = (r * a + self.r[i] * k) / oa
        self.g[i] = (g * a + self.g[i] * k) / oa
        self.b[i] = (b * a + self.b[i] * k) / oa
        self.a[i] = oa

    def shade(self, box, shader):
        """shader(x, y) -> (r, g, b, a) or None, for every pixel centre in box (x0, y0, x1, y1)."""
        x0, y0, x1, y1 = clip_box(box, self.width, self.height)
        w = self.width
        for y in range(y0, y1):
            row = y * w
            for x in range(x0, x1):
                c = shader(x + 0.5, y + 0.5)
                if c is not None:
                    self.over(row + x, c[0], c[1], c[2], c[3])

    def mask_alpha(self, coverage, box=None):
        """Multiplies the alpha channel by coverage(x, y) inside box (everything outside stays)."""
        x0, y0, x1, y1 = clip_box(box or (0, 0, self.width, self.height), self.width, self.height)
        for y in range(y0, y1):
            row = y * self.width
            for x in range(x0, x1):
                self.a[row + x] *= coverage(x + 0.5, y + 0.5)

    def rgba_rows(self):
        """8-bit RGBA rows; fully transparent pixels are stored as transparent black."""
        rows = []
        w = self.width
        for y in range(self.height):
            row = bytearray(w * 4)
            base = y * w
            for x in range(w):
                i = base + x
                a = q8(self.a[i])
                if a == 0:
                    continue
                j = x * 4
                row[j] = q8(self.r[i])
                row[j + 1] = q8(self.g[i])
                row[j + 2] = q8(self.b[i])
                row[j + 3] = a
            rows.append(bytes(row))
        return rows


def q8(v):
    if v <= 0.0:
        return 0
    if v >= 1.0:
        return 255
    return int(v * 255.0 + 0.5)


def clip_box(box, width, height):
    x0, y0, x1, y1 = box
    return (max(0, int(math.floor(x0))), max(0, int(math.floor(y0))),
            min(width, int(math.ceil(x1))), min(height, int(math.ceil(y1))))


def hexc(text, alpha=1.0):
    text = text.lstrip('#')
    return (int(text[0:2], 16) / 255.0, int(text[2:4], 16) / 255.0, int(text[4:6], 16) / 255.0,
            alpha)


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(c0[k] + (c1[k] - c0[k]) * t for k in range(len(c0)))


def smoothstep(e0, e1, x):
    t = min(1.0, max(0.0, (x - e0) / (e1 - e0)))
    return t * t * (3.0 - 2.0 * t)


def coverage(distance):
    """Anti-aliased coverage of a pixel whose centre lies `distance` outside a shape's edge."""
    return min(1.0, max(0.0, 0.5 - distance))


# --------------------------------------------------------------------------------------------
# Signed distances (negative inside).


def sd_round_rect(x, y, x0, y0, x1, y1, radius):
    cx, cy = (x0 + x1) * 0.5, (y0 + y1) * 0.5
    hx, hy = (x1 - x0) * 0.5 - radius, (y1 - y0) * 0.5 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def sd_polygon(x, y, points):
    d = float('inf')
    inside = False
    n = len(points)
    for i in range(n):
        ax, ay = points[i]
        bx, by = points[i - 1]
        d = min(d, dist_segment(x, y, ax, ay, bx, by))
        if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
            inside = not inside
    return -d if inside else d


def dist_segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0.0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


# --------------------------------------------------------------------------------------------
# Stroke glyphs: capitals as polylines in a box one unit high (y grows downwards).


def _arc(cx, cy, rx, ry, t0, t1, steps=14):
    pts = []
    for k in range(steps + 1):
        t = math.radians(t0 + (t1 - t0) * k / steps)
        pts.append((cx + rx * math.cos(t), cy - ry * math.sin(t)))
    return pts


_BOWL_TOP = [(0, 0), (0.40, 0), (0.56, 0.05), (0.62, 0.24), (0.56, 0.43), (0.40, 0.48), (0, 0.48)]
GLYPHS = {
    'A': (0.80, [[(0, 1), (0.40, 0), (0.80, 1)], [(0.15, 0.64), (0.65, 0.64)]]),
    'B': (0.68, [[(0, 0), (0, 1)], _BOWL_TOP,
                 [(0.40, 0.48), (0.60, 0.54), (0.68, 0.74), (0.60, 0.94), (0.42, 1), (0, 1)]]),
    'C': (0.78, [_arc(0.42, 0.5, 0.40, 0.5, 40, 320)]),
    'E': (0.62, [[(0.62, 0), (0, 0), (0, 1), (0.62, 1)], [(0, 0.5), (0.50, 0.5)]]),
    'F': (0.60, [[(0.60, 0), (0, 0), (0, 1)], [(0, 0.5), (0.48, 0.5)]]),
    'G': (0.82, [_arc(0.42, 0.5, 0.40, 0.5, 40, 360) + [(0.46, 0.5)]]),
    'H': (0.70, [[(0, 0), (0, 1)], [(0.70, 0), (0.70, 1)], [(0, 0.5), (0.70, 0.5)]]),
    'M': (0.90, [[(0, 1), (0, 0), (0.45, 0.62), (0.90, 0), (0.90, 1)]]),
    'N': (0.72, [[(0, 1), (0, 0), (0.72, 1), (0.72, 0)]]),
    'O': (0.84, [_arc(0.42, 0.5, 0.42, 0.5, 0, 360, 24)]),
    'Q': (0.86, [_arc(0.42, 0.5, 0.42, 0.5, 0, 360, 24), [(0.50, 0.70), (0.86, 1.04)]]),
    'R': (0.68, [[(0, 0), (0, 1)], _BOWL_TOP, [(0.32, 0.48), (0.68, 1)]]),
}


def text_segments(text, x, y, height, spacing):
    """Segments of `text` with its top-left corner at (x, y); returns (segments, width)."""
    segs = []
    pen = x
    for ch in text:
        advance, strokes = GLYPHS[ch]
        for line in strokes:
            for (ax, ay), (bx, by) in zip(line, line[1:]):
                segs.append((pen + ax * height, y + ay * height, pen + bx * height,
                             y + by * height))
        pen += advance * height + spacing
    return segs, pen - spacing - x


def text_width(text, height, spacing):
    return text_segments(text, 0, 0, height, spacing)[1]


def draw_strokes(canvas, segs, width, colour):
    half = width * 0.5
    xs = [s[0] for s in segs] + [s[2] for s in segs]
    ys = [s[1] for s in segs] + [s[3] for s in segs]
    box = (min(xs) - half - 2, min(ys) - half - 2, max(xs) + half + 2, max(ys) + half + 2)

    def shader(px, py):
        d = min(dist_segment(px, py, *s) for s in segs) - half
        a = coverage(d) * colour[3]
        return (colour[0], colour[1], colour[2], a) if a > 0.0 else None

    canvas.shade(box, shader)


def draw_text_centred(canvas, text, cx, cy, height, spacing, stroke, colour, shadow=None):
    width = text_width(text, height, spacing)
    x, y = cx - width * 0.5, cy - height * 0.5
    if shadow is not None:
        segs, _ = text_segments(text, x + 1.0, y + 1.0, height, spacing)
        draw_strokes(canvas, segs, stroke + 1.2, shadow)
    segs, _ = text_segments(text, x, y, height, spacing)
    draw_strokes(canvas, segs, stroke, colour)


# --------------------------------------------------------------------------------------------
# Palette.

GOLD = hexc('d8b25c')
GOLD_LIGHT = hexc('f3dc9a')
NIGHT_TOP = hexc('121a40')
NIGHT_HORIZON = hexc('3a3b7c')
PANEL = hexc('0f1326')
BAND = hexc('0b0e1d')
INK = hexc('141833')

SKIN_W, SKIN_H = 1280, 725
BODY_TOP = 14
BROWSER = (880, 69, 880 + 400, 69 + 566)
BOTTOM_BAND = 548
CREST = [(30, 0), (342, 0), (342, 66), (186, 92), (30, 66)]


class Rng:
    """A small LCG, so that the scattered stars are the same on every run and platform."""

    def __init__(self, seed):
        self.state = seed

    def next(self):
        self.state = (self.state * 1103515245 + 12345) & 0x7FFFFFFF
        return self.state / 0x7FFFFFFF


# --------------------------------------------------------------------------------------------
# The skin.


def far_ridge(x):
    return 402 + 34 * math.sin(x / 97.0) + 22 * math.sin(x / 41.0 + 1.3) + 9 * math.sin(
        x / 17.0 + 0.4)


def hill(x):
    return 478 - 78 * math.exp(-((x - 300.0) / 170.0) ** 2) + 6 * math.sin(x / 23.0)


def near_ground(x):
    return 512 + 14 * math.sin(x / 61.0) + 7 * math.sin(x / 19.0 + 2.0)


# Keep towers: (left, right, top) in pixels; each gets crenellations and a few lit windows.
TOWERS = [(236, 262, 318), (262, 338, 352), (338, 366, 296), (366, 420, 366), (296, 312, 330)]
WINDOWS = [(246, 340), (252, 372), (350, 322), (356, 350), (300, 384), (390, 392), (320, 400)]
MOON = (612.0, 176.0, 44.0)


def castle_inside(x, y):
    for left, right, top in TOWERS:
        if left <= x < right and y >= top:
            if y < top + 8:
                # crenellations: merlons 6 px wide with 5 px gaps
                return ((x - left) % 11) < 6
            return True
    return False


def sky_colour(x, y):
    t = (y - BODY_TOP) / (far_ridge(x) - BODY_TOP + 40.0)
    c = mix(NIGHT_TOP, NIGHT_HORIZON, t * t)
    mx, my, mr = MOON
    d = math.hypot(x - mx, y - my)
    glow = 0.38 * math.exp(-((d - mr) / 110.0) ** 2) if d > mr else 0.38
    c = mix(c, hexc('cfc6ff'), glow)
    if d < mr + 1.0:
        disc = coverage(d - mr)
        crater = 0.0
        for cx, cy, cr in ((598, 162, 9), (628, 190, 12), (606, 198, 6), (630, 158, 5)):
            crater = max(crater, coverage(math.hypot(x - cx, y - cy) - cr) * 0.18)
        moon = mix(hexc('f6edcc'), hexc('b9ae8e'), crater + 0.25 * (x - mx + mr) / (2 * mr))
        c = mix(c, moon, disc)
    return c


def scene_colour(x, y):
    ground = near_ground(x)
    if y >= ground:
        return mix(hexc('0c0f24'), hexc('070914'), (y - ground) / 120.0)
    if castle_inside(x, y) or y >= hill(x):
        for wx, wy in WINDOWS:
            if wx <= x < wx + 4 and wy <= y < wy + 7:
                return hexc('ffcf6e')
        return mix(hexc('141739'), hexc('0e1130'), (y - 300.0) / 200.0)
    ridge = far_ridge(x)
    if y >= ridge:
        return mix(hexc('2c2f63'), hexc('1d2048'), (y - ridge) / 90.0)
    return sky_colour(x, y)


def draw_skin():
    c = Canvas(SKIN_W, SKIN_H)
    bx0, by0, bx1, by1 = BROWSER

    # The scene on the left fades into the calm panel that holds the login page.
    def base(x, y):
        panel = mix(PANEL, hexc('0b0f20'), (y - BODY_TOP) / 700.0)
        if x >= 872:
            return panel
        s = scene_colour(x, y)
        return mix(s, panel, smoothstep(760.0, 872.0, x))

    c.shade((0, 0, SKIN_W, SKIN_H), base)

    rng = Rng(20240611)
    for _ in range(190):
        sx, sy = rng.next() * 840.0, BODY_TOP + 60 + rng.next() * 300.0
        size, bright = 0.6 + rng.next() * 1.1, 0.45 + rng.next() * 0.55
        if sy >= far_ridge(sx) - 6 or math.hypot(sx - MOON[0], sy - MOON[1]) < MOON[2] + 30:
            continue
        fade = 1.0 - smoothstep(700.0, 860.0, sx)

        def star(px, py, sx=sx, sy=sy, size=size, bright=bright, fade=fade):
            d2 = ((px - sx) ** 2 + (py - sy) ** 2) / (size * size)
            a = bright * fade * math.exp(-d2)
            return (1.0, 0.97, 0.88, a) if a > 0.01 else None

        c.shade((sx - 4, sy - 4, sx + 5, sy + 5), star)

    # Top bar behind the buttons, and its hairline.
    c.shade((0, 0, SKIN_W, 64), lambda x, y: hexc('0a0d1c', 0.72) if y >= BODY_TOP else None)
    c.shade((0, 63, SKIN_W, 64), lambda x, y: mix(GOLD, PANEL, 0.35)[:3] + (0.85,))

    # Bottom band for the progress bar and the status texts.
    def band(x, y):
        return mix(BAND, hexc('080a16'), (y - BOTTOM_BAND) / 170.0)[:3] + (0.94,)

    c.shade((0, BOTTOM_BAND, SKIN_W, SKIN_H), band)
    c.shade((0, BOTTOM_BAND, SKIN_W, BOTTOM_BAND + 1),
            lambda x, y: GOLD[:3] + (0.55 * (1.0 - smoothstep(900.0, 1280.0, x)) + 0.25,))

    # The browser's place: flat, framed on three sides (its right edge is the window's).
    c.shade(BROWSER, lambda x, y: PANEL)

    def frame(x, y):
        outer = sd_round_rect(x, y, bx0 - 5, by0 - 5, bx1 + 12, by1 + 5, 3)
        inner = sd_round_rect(x, y, bx0 - 3, by0 - 3, bx1 + 10, by1 + 3, 1)
        a = coverage(outer) * (1.0 - coverage(inner)) * 0.8
        return GOLD[:3] + (a,) if a > 0 else None

    c.shade((bx0 - 6, by0 - 6, SKIN_W, by1 + 6), frame)

    # The crest with the game's name, rising above the body.
    def crest(x, y):
        d = sd_polygon(x, y, CREST)
        if d > 1.0:
            return None
        fill = mix(hexc('6a1a2b'), hexc('34091a'), y / 92.0)
        rim = coverage(d) * (1.0 - coverage(d + 3.0))
        col = mix(fill, GOLD, rim)
        return col[:3] + (coverage(d),)

    c.shade((24, 0, 348, 96), crest)
    draw_text_centred(c, 'BRANNOC', 186, 36, 30, 9, 4.6, GOLD_LIGHT, shadow=hexc('1a0508', 0.8))
    for dx in (-128, 128):
        c.shade((186 + dx - 6, 64, 186 + dx + 6, 76), lambda x, y, dx=dx: GOLD[:3] + (
            coverage(abs(x - 186 - dx) + abs(y - 70) - 4.5),))

    # Cut the silhouette: a rounded body under the crest; everything else stays transparent.
    def silhouette(x, y):
        d = sd_round_rect(x, y, 0, BODY_TOP, SKIN_W, SKIN_H, 22)
        if x < 350 and y < 96:
            d = min(d, sd_polygon(x, y, CREST))
        return coverage(d)

    c.mask_alpha(silhouette)

    # A thin gold edge along the body's outline.
    def edge(x, y):
        d = sd_round_rect(x, y, 0, BODY_TOP, SKIN_W, SKIN_H, 22)
        if x < 350 and y < 96 and sd_polygon(x, y, CREST) < 0.5:
            return None
        a = coverage(d + 1.0) * (1.0 - coverage(d + 2.6)) * 0.75
        return GOLD[:3] + (a,) if a > 0 else None

    edges = [(0, BODY_TOP, SKIN_W, BODY_TOP + 4), (0, SKIN_H - 4, SKIN_W, SKIN_H),
             (0, BODY_TOP, 4, SKIN_H), (SKIN_W - 4, BODY_TOP, SKIN_W, SKIN_H)]
    for box in edges:
        c.shade(box, edge)
    for cx, cy in ((0, BODY_TOP), (SKIN_W - 26, BODY_TOP), (0, SKIN_H - 26),
                   (SKIN_W - 26, SKIN_H - 26)):
        c.shade((cx, cy, cx + 26, cy + 26), edge)
    return c


# --------------------------------------------------------------------------------------------
# Buttons: each normal image and its pressed/hover image are plainly different (dark with gold
# lettering against gold with dark lettering).


def draw_link_button(label, pressed):
    w, h = 78, 28
    c = Canvas(w, h)
    top, bottom = (hexc('f0cd78'), hexc('b88a34')) if pressed else (hexc('2e3a72'), hexc('161c40'))
    rim = hexc('fff1c4') if pressed else GOLD

    def body(x, y):
        d = sd_round_rect(x, y, 0.5, 0.5, w - 0.5, h - 0.5, 6)
        if d > 1.0:
            return None
        col = mix(top, bottom, (y - 1) / (h - 2))
        col = mix(col, rim, coverage(d) * (1.0 - coverage(d + 1.6)))
        return col[:3] + (coverage(d),)

    c.shade((0, 0, w, h), body)
    ink = INK if pressed else GOLD_LIGHT
    shift = 1 if pressed else 0
    draw_text_centred(c, label, w / 2 + shift, h / 2 + shift, 11, 3, 1.8, ink)
    return c


def draw_round_button(kind, pressed):
    w, h = 33, 32
    c = Canvas(w, h)
    cx, cy, r = w / 2, h / 2, 14.5
    if pressed:
        fill = hexc('c8453a') if kind == 'close' else hexc('e7c06c')
    else:
        fill = hexc('1f2752')
    rim = hexc('fff1c4') if pressed else GOLD

    def body(x, y):
        d = math.hypot(x - cx, y - cy) - r
        if d > 1.0:
            return None
        col = mix(fill, mix(fill, hexc('000000'), 0.35), (y - cy + r) / (2 * r))
        col = mix(col, rim, coverage(d) * (1.0 - coverage(d + 1.6)))
        return col[:3] + (coverage(d),)

    c.shade((0, 0, w, h), body)
    ink = (hexc('fff6e0') if kind == 'close' else INK) if pressed else GOLD_LIGHT
    if kind == 'close':
        segs = [(cx - 5, cy - 5, cx + 5, cy + 5), (cx - 5, cy + 5, cx + 5, cy - 5)]
    else:
        segs = [(cx - 6, cy + 3, cx + 6, cy + 3)]
    draw_strokes(c, segs, 2.4, ink)
    return c


# --------------------------------------------------------------------------------------------
# The icon: the crest in small, with a crescent moon and the initial.


def draw_icon():
    s = 128
    c = Canvas(s, s)
    shield = [(14, 10), (114, 10), (114, 70), (64, 120), (14, 70)]

    def body(x, y):
        d = sd_polygon(x, y, shield)
        if d > 1.0:
            return None
        col = mix(hexc('2e3a72'), hexc('121735'), y / 120.0)
        col = mix(col, GOLD, coverage(d) * (1.0 - coverage(d + 5.0)))
        return col[:3] + (coverage(d),)

    c.shade((0, 0, s, s), body)

    def moon(x, y):
        outer = coverage(math.hypot(x - 92, y - 34) - 14)
        a = outer * (1.0 - coverage(math.hypot(x - 99, y - 29) - 12))
        return hexc('f6edcc')[:3] + (a,) if a > 0 else None

    c.shade((76, 18, 108, 50), moon)
    segs, _ = text_segments('B', 30, 36, 52, 0)
    draw_strokes(c, segs, 8.0, GOLD_LIGHT)
    return c


# --------------------------------------------------------------------------------------------
# PNG writing: 8-bit RGBA, one filter per row (none, sub or up, whichever is smallest).


def filter_rows(rows):
    out = bytearray()
    prev = bytes(len(rows[0]))
    for row in rows:
        candidates = [
            (0, row),
            (1, bytes((row[i] - (row[i - 4] if i >= 4 else 0)) & 255 for i in range(len(row)))),
            (2, bytes((a - b) & 255 for a, b in zip(row, prev))),
        ]
        best = min(candidates, key=lambda c: (sum(v if v < 128 else 256 - v for v in c[1]), c[0]))
        out.append(best[0])
        out += best[1]
        prev = row
    return bytes(out)


def png_chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data +
            struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_header(width, height):
    return struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)


def png_bytes(canvas):
    raw = filter_rows(canvas.rgba_rows())
    return (b'\x89PNG\r\n\x1a\n' + png_chunk(b'IHDR', png_header(canvas.width, canvas.height)) +
            png_chunk(b'IDAT', zlib.compress(raw, 9)) + png_chunk(b'IEND', b''))


def png_content(data):
    """(IHDR, filtered scanlines) of a PNG, to compare pictures independently of zlib's build."""
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        return None
    pos, header, idat = 8, None, b''
    while pos + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b'IHDR':
            header = body
        elif kind == b'IDAT':
            idat += body
        pos += 12 + length
    try:
        return header, zlib.decompress(idat)
    except zlib.error:
        return None


# --------------------------------------------------------------------------------------------

ARTWORK = [
    ('132-icon.png', draw_icon),
    ('133-close.png', lambda: draw_round_button('close', False)),
    ('134-skin.png', draw_skin),
    ('141-home.png', lambda: draw_link_button('HOME', False)),
    ('143-home-pressed.png', lambda: draw_link_button('HOME', True)),
    ('144-game.png', lambda: draw_link_button('GAME', False)),
    ('146-game-pressed.png', lambda: draw_link_button('GAME', True)),
    ('147-faq.png', lambda: draw_link_button('FAQ', False)),
    ('148-faq-pressed.png', lambda: draw_link_button('FAQ', True)),
    ('149-minimize.png', lambda: draw_round_button('minimize', False)),
    ('150-minimize-pressed.png', lambda: draw_round_button('minimize', True)),
    ('151-close-pressed.png', lambda: draw_round_button('close', True)),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('outdir')
    parser.add_argument('--check', action='store_true',
                        help='compare with the files in outdir instead of writing them')
    args = parser.parse_args()
    stale = []
    for name, draw in ARTWORK:
        canvas = draw()
        path = os.path.join(args.outdir, name)
        if args.check:
            raw = filter_rows(canvas.rgba_rows())
            try:
                with open(path, 'rb') as f:
                    existing = png_content(f.read())
            except OSError:
                existing = None
            if existing != (png_header(canvas.width, canvas.height), raw):
                stale.append(name)
        else:
            os.makedirs(args.outdir, exist_ok=True)
            with open(path, 'wb') as f:
                f.write(png_bytes(canvas))
    if stale:
        print('artwork out of date (run tools/make_artwork.py res): ' + ', '.join(stale),
              file=sys.stderr)
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main())
