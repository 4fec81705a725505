#!/usr/bin/env python3
"""Draws Tovara2's icons, bitmaps and the shake sound.

Standard library only. Writes next to this script:
  tovara2.ico, tovara2_error.ico   icon groups 32512 and 32513
  arrow_left.bmp, arrow_right.bmp  bitmaps 100 and 101 (white = transparent)
  header.bmp                       bitmap 102, the 620 x 37 header strip
  about.bmp                        bitmap 103, the 288 x 272 About picture
  shakeit.wav                      wave SHAKEIT

The outputs are checked in; run this again only after changing the art,
then pack_art.py, which packs the bitmaps the executable carries.
Everything is deterministic, so a rerun reproduces the same bytes.
"""

import math
import os
import random
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# House colours, shared by every picture.
SLATE_DARK = (0x1F, 0x33, 0x45)
SLATE = (0x35, 0x52, 0x6B)
SLATE_LIGHT = (0x5E, 0x80, 0x9A)
AMBER = (0xF5, 0xB0, 0x2E)
AMBER_DEEP = (0xD9, 0x82, 0x06)
TEAL = (0x5F, 0xD3, 0xC4)
CREAM = (0xFF, 0xFB, 0xF3)
CREAM_DEEP = (0xF4, 0xEA, 0xD6)
SCREEN = (0x17, 0x24, 0x2E)
RED = (0xD9, 0x3A, 0x2B)
WHITE = (0xFF, 0xFF, 0xFF)


def mix(a, b, t):
    t = 0.0 if t < 0 else 1.0 if t > 1 else t
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def clamp01(v):
    return 0.0 if v < 0 else 1.0 if v > 1 else v


# ---------------------------------------------------------------- canvas ---

class Canvas:
    """Straight-alpha RGBA canvas of floats; shapes are anti-aliased from
    signed distances (negative inside), so edges need no supersampling."""

    def __init__(self, w, h, colour=(0, 0, 0), alpha=0.0):
        self.w, self.h = w, h
        self.px = [[float(colour[0]), float(colour[1]), float(colour[2]), alpha]
                   for _ in range(w * h)]

    def blend(self, x, y, colour, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        p = self.px[y * self.w + x]
        da = p[3]
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        for i in range(3):
            p[i] = (colour[i] * a + p[i] * da * (1 - a)) / oa
        p[3] = oa

    def fill(self, sdf, colour, alpha=1.0, box=None):
        """Fills where sdf(x, y) < 0 at pixel centres; colour may be a
        function of (x, y)."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        paint = colour if callable(colour) else None
        for y in range(y0, y1):
            cy = y + 0.5
            for x in range(x0, x1):
                cx = x + 0.5
                cov = clamp01(0.5 - sdf(cx, cy))
                if cov > 0:
                    self.blend(x, y, paint(cx, cy) if paint else colour, cov * alpha)

    def rgb(self, background=WHITE):
        """Flattens onto a background; returns rows of (r, g, b) ints."""
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                p = self.px[y * self.w + x]
                c = mix(background, p[:3], p[3])
                row.append(tuple(int(round(v)) for v in c))
            out.append(row)
        return out


# Signed distance functions, in pixels.

def sd_round_rect(x0, y0, x1, y1, r):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0), max(qy, 0))
        return outside + min(max(qx, qy), 0) - r
    return f


def sd_rect(x0, y0, x1, y1):
    return sd_round_rect(x0, y0, x1, y1, 0)


def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    l2 = dx * dx + dy * dy
    t = 0 if l2 == 0 else max(0, min(1, ((x - ax) * dx + (y - ay) * dy) / l2))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def sd_polyline(points, width):
    segs = list(zip(points, points[1:]))

    def f(x, y):
        return min(seg_dist(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - width / 2
    return f


def sd_polygon(points):
    n = len(points)

    def f(x, y):
        d = min(seg_dist(x, y, *points[i], *points[(i + 1) % n]) for i in range(n))
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return -d if inside else d
    return f


def bbox(points, pad=2):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return (min(xs) - pad, min(ys) - pad, max(xs) + pad, max(ys) + pad)


def vgrad(top_y, bottom_y, top, bottom):
    return lambda x, y: mix(top, bottom, (y - top_y) / max(1e-6, bottom_y - top_y))


# ------------------------------------------------------------ file writers ---

def bmp24(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def median_cut(colours, limit):
    """colours: dict colour -> count. Returns up to limit palette entries,
    splitting the box with the widest weighted spread each time."""
    boxes = [list(colours.items())]

    def score(box):
        if len(box) < 2:
            return -1
        spread = max(max(c[i] for c, _ in box) - min(c[i] for c, _ in box) for i in range(3))
        return spread * math.sqrt(sum(n for _, n in box))

    while len(boxes) < limit:
        best = max(range(len(boxes)), key=lambda i: score(boxes[i]))
        box = boxes[best]
        if score(box) <= 0:
            break
        axis = max(range(3), key=lambda i: max(c[i] for c, _ in box) - min(c[i] for c, _ in box))
        box.sort(key=lambda e: e[0][axis])
        half, acc, cut = sum(n for _, n in box) / 2, 0, 1
        for k, (_, n) in enumerate(box):
            acc += n
            if acc >= half:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[i] * n for c, n in box) / total)) for i in range(3)))
    return palette


def quantise(rows, limit=256):
    counts = {}
    for row in rows:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    if len(counts) <= limit:
        palette = sorted(counts)
    else:
        palette = median_cut(counts, limit)
    cache = {}

    def nearest(c):
        if c not in cache:
            cache[c] = min(range(len(palette)),
                           key=lambda i: (palette[i][0] - c[0]) ** 2 * 3
                           + (palette[i][1] - c[1]) ** 2 * 4 + (palette[i][2] - c[2]) ** 2 * 2)
        return cache[c]
    return palette, [[nearest(c) for c in row] for row in rows]


def rle8_row(row):
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 2:
            out += bytes((run, row[i]))
            i += run
            continue
        # Literal stretch: up to the next run of three or more.
        j = i
        while j < n and j - i < 255:
            if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                break
            j += 1
        lit = row[i:j]
        if len(lit) < 3:
            for v in lit:
                out += bytes((1, v))
        else:
            out += bytes((0, len(lit))) + bytes(lit)
            if len(lit) & 1:
                out += b"\0"
        i = j
    return out + b"\0\0"


def bmp8(rows, colours=256, rle=True):
    """8-bit palette bitmap, RLE8-compressed when that is smaller. A short
    palette saves four bytes an entry and lengthens the runs."""
    palette, idx = quantise(rows, colours)
    h, w = len(idx), len(idx[0])
    raw = bytearray()
    stride = (w + 3) & ~3
    for row in reversed(idx):
        raw += bytes(row) + b"\0" * (stride - w)
    packed = bytearray()
    for row in reversed(idx):
        packed += rle8_row(row)
    packed[-2:] = b"\0\1"  # the last end-of-line becomes end-of-bitmap
    use_rle = rle and len(packed) < len(raw)
    data = packed if use_rle else raw
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1 if use_rle else 0, len(data),
                       2835, 2835, len(palette), 0)
    off = 14 + len(info) + len(pal)
    head = struct.pack("<2sIHHI", b"BM", off + len(data), 0, 0, off)
    return head + info + pal + bytes(data)


def ico(canvases):
    """32-bit icons with straight alpha; the AND mask marks the fully
    transparent pixels for systems that ignore alpha."""
    images = []
    for cv in canvases:
        w, h = cv.w, cv.h
        xor = bytearray()
        mask = bytearray()
        mstride = ((w + 31) // 32) * 4
        for y in reversed(range(h)):
            bits = bytearray(mstride)
            for x in range(w):
                r, g, b, a = cv.px[y * w + x]
                ai = int(round(a * 255))
                if ai == 0:
                    r = g = b = 0
                    bits[x >> 3] |= 0x80 >> (x & 7)
                xor += bytes((int(round(b)), int(round(g)), int(round(r)), ai))
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((w, h, info + bytes(xor) + bytes(mask)))
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    blobs = b""
    for w, h, blob in images:
        entries += struct.pack("<BBBBHHII", w & 255, h & 255, 0, 0, 1, 32, len(blob), offset + len(blobs))
        blobs += blob
    return head + entries + blobs


def wav8(samples, rate):
    data = bytes(max(0, min(255, int(round(128 + s * 127)))) for s in samples)
    if len(data) & 1:
        data += b"\x80"
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ------------------------------------------------------------------ icons ---

def icon_tile(size, badge=False):
    """The program icon: a slate tile holding a small bar chart under a
    rising trend line."""
    cv = Canvas(size, size)
    s = size / 32.0
    m = 1 * s if size >= 32 else 0.5
    r = 6 * s
    cv.fill(sd_round_rect(m, m, size - m, size - m, r),
            vgrad(m, size - m, SLATE_LIGHT, SLATE_DARK))
    # Soft sheen over the upper half.
    cv.fill(sd_round_rect(m + 1 * s, m + 1 * s, size - m - 1 * s, size * 0.5, r * 0.8),
            WHITE, 0.10)
    base = size - 6 * s if size >= 32 else size - 3
    if size >= 32:
        bars = [(6, 9, 15), (11, 14, 11), (16, 19, 17), (21, 24, 7)]
    else:
        bars = [(3, 5, 8), (7, 9, 6), (11, 13, 3)]
    for x0, x1, top in bars:
        x0, x1 = x0 * (s if size >= 32 else 1), x1 * (s if size >= 32 else 1)
        t = top * (s if size >= 32 else 1)
        cv.fill(sd_round_rect(x0, t, x1, base + 0.6, 0.8 * s if size >= 32 else 0.5),
                vgrad(t, base, AMBER, AMBER_DEEP))
    if size >= 32:
        # Baseline and trend line.
        cv.fill(sd_rect(5 * s, base + 1.2 * s, 27 * s, base + 2.2 * s), WHITE, 0.55)
        pts = [(5 * s, 21 * s), (10 * s, 17 * s), (15 * s, 19 * s), (20 * s, 11 * s), (26.5 * s, 6.5 * s)]
        cv.fill(sd_polyline(pts, 1.8 * s), TEAL, 1.0, bbox(pts))
        cv.fill(sd_circle(26.5 * s, 6.5 * s, 2.0 * s), WHITE, 1.0)
    else:
        cv.fill(sd_rect(2, base + 0.6, 14, base + 1.4), WHITE, 0.5)
    if badge:
        if size >= 32:
            bx, by, br, arm, pen = 23.5 * s, 23.5 * s, 7.5 * s, 3.0 * s, 2.2 * s
        else:
            bx, by, br, arm, pen = 11.5, 11.5, 4.5, 2.0, 1.3
        cv.fill(sd_circle(bx, by, br + (1.2 * s if size >= 32 else 0.8)), WHITE, 1.0)
        cv.fill(sd_circle(bx, by, br), vgrad(by - br, by + br, (0xF0, 0x5A, 0x48), (0xB8, 0x22, 0x16)))
        cv.fill(sd_polyline([(bx - arm, by - arm), (bx + arm, by + arm)], pen), WHITE)
        cv.fill(sd_polyline([(bx - arm, by + arm), (bx + arm, by - arm)], pen), WHITE)
    return cv


# ----------------------------------------------------------------- arrows ---

def arrow(pointing_left):
    """A 16 x 16 slate arrow on pure white. Faint edge pixels snap to white
    so that the transparent colour leaves no speckles behind."""
    cv = Canvas(16, 16, WHITE, 1.0)
    pts = [(3.5, 8.0), (9.0, 2.8), (9.0, 6.0), (13.0, 6.0), (13.0, 10.0), (9.0, 10.0), (9.0, 13.2)]
    if not pointing_left:
        pts = [(16 - x, y) for x, y in pts]
    cv.fill(sd_polygon(pts), vgrad(2, 14, SLATE_LIGHT, SLATE_DARK))
    rows = cv.rgb()
    for row in rows:
        for i, c in enumerate(row):
            if min(c) >= 236:
                row[i] = WHITE
    return rows


# ----------------------------------------------------------------- header ---

def header():
    """620 x 37: white where the icon, heading and description sit, easing
    into a pale slate band with a faint chart at the right end."""
    w, h = 620, 37
    cv = Canvas(w, h, WHITE, 1.0)
    band = (0xE3, 0xEB, 0xF1)

    def base(x, y):
        t = clamp01((x - 300) / 260.0)
        t = t * t * (3 - 2 * t)
        # Quantised steps keep the strip's runs long.
        t = round(t * 24) / 24
        return mix(WHITE, band, t)
    cv.fill(lambda x, y: -1, base)
    # A thin amber rule along the bottom edge, fading in from the left.
    cv.fill(sd_rect(0, h - 2, w, h), lambda x, y: mix(WHITE, AMBER, round(clamp01((x - 260) / 300.0) * 16) / 16))
    # Faint bar chart and trend line at the right.
    chart = (0xB9, 0xCB, 0xD8)
    bars = [9, 15, 11, 20, 14, 24, 18, 27]
    for k, bh in enumerate(bars):
        x0 = 478 + k * 16
        cv.fill(sd_round_rect(x0, h - 3 - bh, x0 + 9, h - 3, 1.5), chart, 0.55)
    pts = [(470, 27), (490, 24), (506, 26), (522, 18), (538, 21), (554, 13), (570, 15), (586, 8), (606, 5)]
    cv.fill(sd_polyline(pts, 1.6), AMBER_DEEP, 0.55, bbox(pts))
    for p in pts[1:]:
        cv.fill(sd_circle(p[0], p[1], 1.9), AMBER_DEEP, 0.55, bbox([p], 4))
    return cv.rgb()


# ------------------------------------------------------------------ about ---

def module_screen(cv, x0, y0, x1, y1):
    """A bar module: etched frame around a dark screen."""
    cv.fill(sd_round_rect(x0 - 1, y0 - 1, x1 + 1, y1 + 1, 2), (0x9C, 0x94, 0x86))
    cv.fill(sd_round_rect(x0, y0, x1, y1, 1.5), vgrad(y0, y1, (0x22, 0x33, 0x40), SCREEN))


def about():
    """288 x 272. The top shows a Tovara2 bar docked on a dusky desktop,
    its modules running small graphs; the lower part stays a calm cream
    page for the name, version and text that lie on it."""
    w, h = 288, 272
    cv = Canvas(w, h, CREAM, 1.0)
    scene_bottom = 80

    # Page: cream deepening towards the bottom.
    cv.fill(sd_rect(0, scene_bottom, w, h),
            lambda x, y: mix(CREAM, CREAM_DEEP, round(((y - scene_bottom) / (h - scene_bottom)) * 12) / 12))

    # Desktop scene with a gentle wave for its lower edge.
    def wave(x):
        return scene_bottom - 6 + 4 * math.sin(x / 46.0 + 0.8)

    sky = vgrad(0, scene_bottom, (0x2A, 0x44, 0x5C), (0x6F, 0x92, 0xAB))
    cv.fill(lambda x, y: y - wave(x), sky, 1.0, (0, 0, w, scene_bottom + 2))
    # Faint monitoring grid in the sky.
    for gx in range(12, w, 24):
        cv.fill(lambda x, y, gx=gx: max(abs(x - gx) - 0.5, y - wave(x)), WHITE, 0.06, (gx - 2, 0, gx + 2, scene_bottom))
    for gy in range(8, scene_bottom, 16):
        cv.fill(lambda x, y, gy=gy: max(abs(y - gy) - 0.5, y - wave(x)), WHITE, 0.06, (0, gy - 2, w, gy + 2))
    # Amber rim under the scene.
    cv.fill(lambda x, y: abs(y - wave(x) - 1.5) - 1.0, AMBER, 1.0, (0, scene_bottom - 14, w, scene_bottom + 2))

    # A big soft trend line across the sky.
    trend = [(0, 66), (30, 60), (58, 63), (90, 48), (122, 52), (150, 36), (184, 41), (214, 24), (246, 28), (288, 10)]
    def trend_y(x):
        for a, b in zip(trend, trend[1:]):
            if a[0] <= x <= b[0]:
                return a[1] + (b[1] - a[1]) * (x - a[0]) / (b[0] - a[0])
        return trend[-1][1]
    cv.fill(lambda x, y: max(trend_y(x) - y, y - wave(x)), WHITE, 0.07, (0, 0, w, scene_bottom))
    cv.fill(sd_polyline(trend, 2.0), (0xFF, 0xD2, 0x7A), 0.55, (0, 0, w, scene_bottom))
    for p in trend[1:-1]:
        cv.fill(sd_circle(p[0], p[1], 2.4), (0xFF, 0xD2, 0x7A), 0.7, bbox([p], 4))

    # The bar itself: 28 pixels high, docked along a line, with a shadow.
    bx0, by0, bx1, by1 = 10, 18, 278, 46
    cv.fill(sd_round_rect(bx0 + 1, by0 + 3, bx1 + 1, by1 + 4, 5), (0, 0, 0), 0.28)
    cv.fill(sd_round_rect(bx0, by0, bx1, by1, 5), vgrad(by0, by1, (0xFB, 0xF8, 0xF2), (0xD8, 0xD0, 0xC0)))
    cv.fill(sd_round_rect(bx0 + 1, by0 + 1, bx1 - 1, by0 + 12, 4), WHITE, 0.35)
    my0, my1 = by0 + 6, by1 - 6  # the 16-pixel module row

    # Module 1: CPU bars.
    module_screen(cv, 18, my0, 78, my1)
    heights = [5, 8, 6, 11, 9, 13, 10, 7, 12, 14, 9, 6]
    for k, v in enumerate(heights):
        x = 20 + k * 4.8
        cv.fill(sd_rect(x, my1 - 1 - v, x + 3.2, my1 - 1), vgrad(my1 - 14, my1, AMBER, AMBER_DEEP))

    # Module 2: network line graph with a filled area.
    module_screen(cv, 84, my0, 158, my1)
    net = [(86, 38), (93, 35), (100, 37), (107, 31), (114, 33), (121, 28), (128, 32), (135, 27), (142, 30), (149, 26), (156, 29)]

    def net_y(x):
        for a, b in zip(net, net[1:]):
            if a[0] <= x <= b[0]:
                return a[1] + (b[1] - a[1]) * (x - a[0]) / (b[0] - a[0])
        return my1
    cv.fill(lambda x, y: max(net_y(x) - y, y - (my1 - 1), 86 - x, x - 156), TEAL, 0.25, (84, my0, 158, my1))
    cv.fill(sd_polyline(net, 1.3), TEAL, 1.0, (84, my0, 158, my1))

    # Module 3: two memory meters.
    module_screen(cv, 164, my0, 214, my1)
    for k, fillw in enumerate((34, 22)):
        y = my0 + 3 + k * 6
        cv.fill(sd_round_rect(167, y, 211, y + 4, 1.5), (0x33, 0x46, 0x55))
        cv.fill(sd_round_rect(167, y, 167 + fillw, y + 4, 1.5), (0x8E, 0xD8, 0x6A) if k else AMBER)

    # Module 4: a little dial.
    module_screen(cv, 220, my0, 270, my1)
    cx, cy = 245, my1 - 2
    cv.fill(lambda x, y: max(abs(math.hypot(x - cx, y - cy) - 10) - 1.4, y - cy), (0x33, 0x46, 0x55), 1.0, (230, my0, 260, my1))
    cv.fill(lambda x, y: max(abs(math.hypot(x - cx, y - cy) - 10) - 1.4, y - cy, (x - cx) * 0.5 + (y - cy) * 0.866),
            TEAL, 1.0, (230, my0, 260, my1))
    cv.fill(sd_polyline([(cx, cy), (cx + 7, cy - 7.5)], 1.4), WHITE, 1.0, (230, my0, 260, my1))
    cv.fill(sd_circle(cx, cy, 1.8), WHITE, 1.0, (240, my0, 250, my1))

    # Watermark chart in the lower right, well clear of the credits column.
    mark = (0xEA, 0xDC, 0xC0)
    for k, v in enumerate((34, 52, 41, 70, 58, 88)):
        x0 = 186 + k * 16
        cv.fill(sd_round_rect(x0, h - 8 - v, x0 + 11, h - 8, 2), mark, 0.55, (x0 - 2, h - 12 - v, x0 + 13, h))
    return cv.rgb()


# ------------------------------------------------------------------ sound ---

def shake_sound():
    """About 0.3 s: three rattles, one per shake step, over a soft thump."""
    rate = 8000
    n = int(rate * 0.30)
    rnd = random.Random(20041130)
    out = []
    lp = hp_in = hp_out = 0.0
    for i in range(n):
        t = i / rate
        # Band-limited noise: one-pole low-pass, then high-pass.
        noise = rnd.uniform(-1, 1)
        lp += 0.35 * (noise - lp)
        hp_out = 0.9 * (hp_out + lp - hp_in)
        hp_in = lp
        env = 0.0
        for start, gain in ((0.0, 1.0), (0.1, 0.8), (0.2, 0.6)):
            dt = t - start
            if dt >= 0:
                env += gain * min(1.0, dt / 0.004) * math.exp(-dt / 0.025)
        thump = 0.35 * math.sin(2 * math.pi * 150 * t) * math.exp(-t / 0.06)
        s = 1.6 * hp_out * env + thump
        fade = min(1.0, (n - i) / (rate * 0.02))
        out.append(max(-1.0, min(1.0, s * fade)))
    return wav8(out, rate)


def main():
    outputs = {
        "tovara2.ico": ico([icon_tile(16), icon_tile(32)]),
        "tovara2_error.ico": ico([icon_tile(16, True), icon_tile(32, True)]),
        "arrow_left.bmp": bmp24(arrow(True)),
        "arrow_right.bmp": bmp24(arrow(False)),
        "header.bmp": bmp8(header(), 48),
        "about.bmp": bmp8(about(), 112),
        "shakeit.wav": shake_sound(),
    }
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
        print("%-18s %6d bytes" % (name, len(data)))


if __name__ == "__main__":
    main()
