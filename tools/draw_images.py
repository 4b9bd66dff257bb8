#!/usr/bin/python3
"""Draws the three banner pictures and the program icon: C++ XPM data for the program,
PNG and SVG files for the desktop.

Standard library only, no randomness and no system fonts, so that running it again gives
the committed files byte for byte:

    tools/draw_images.py                  rewrite ui/banner_images.cpp, resources/icon_xpm.*,
                                          resources/hushmaker.png (32 x 32) and
                                          resources/icons/ in this checkout
    tools/draw_images.py --out DIR        write the same files under DIR instead
    tools/draw_images.py --preview DIR    also write enlarged PNG previews (needs `convert`)
"""

import argparse
import math
import os
import struct
import subprocess
import zlib
from collections import Counter

BANNER_WIDTH, BANNER_HEIGHT = 245, 35
# The toolkit's compact colour map holds one entry per possible key byte.
BANNER_MAX_KEYS = 256
ICON_SIZE = 32
ICON_MAX_COLOURS = 64
# Further sizes for the desktop's icon theme, drawn in full colour from the same shapes.
DESKTOP_ICON_SIZES = (48, 64, 128, 256)
# Samples per pixel side for the shapes that are anti-aliased.
SUPERSAMPLE = 6

# Key bytes in the order they are handed out: the most frequent colours get printable
# keys that need no escape in C source. Byte 0 comes last so that no pixel line ever
# holds it (a pixel line is then a plain C string of exactly the image's width), and
# ' ' is never first because the toolkit's reader takes a leading ' ' as transparent.
KEY_ORDER = ([b for b in range(0x21, 0x7F) if chr(b) not in '"\\?']
             + [0x20, ord('"'), ord('\\'), ord('?')]
             + list(range(0x01, 0x20)) + list(range(0x7F, 0x100)) + [0x00])
assert len(KEY_ORDER) == BANNER_MAX_KEYS == len(set(KEY_ORDER))
assert KEY_ORDER[0] != 0x20

# 5 x 7 pixel font for small text; columns left of and right of the ink are trimmed, so
# the font is proportional.
SMALL_FONT_ROWS = {
    'A': ['.###.', '#...#', '#...#', '#####', '#...#', '#...#', '#...#'],
    'E': ['#####', '#....', '#....', '####.', '#....', '#....', '#####'],
    'L': ['#....', '#....', '#....', '#....', '#....', '#....', '#####'],
    'M': ['#...#', '##.##', '#.#.#', '#.#.#', '#...#', '#...#', '#...#'],
    'P': ['####.', '#...#', '#...#', '####.', '#....', '#....', '#....'],
    '3': ['.###.', '#...#', '....#', '..##.', '....#', '#...#', '.###.'],
    'a': ['.....', '.....', '.###.', '....#', '.####', '#...#', '.####'],
    'c': ['.....', '.....', '.####', '#....', '#....', '#....', '.####'],
    'd': ['....#', '....#', '.####', '#...#', '#...#', '#...#', '.####'],
    'e': ['.....', '.....', '.###.', '#...#', '#####', '#....', '.###.'],
    'i': ['.#...', '.....', '##...', '.#...', '.#...', '.#...', '###..'],
    'n': ['.....', '.....', '####.', '#...#', '#...#', '#...#', '#...#'],
    'o': ['.....', '.....', '.###.', '#...#', '#...#', '#...#', '.###.'],
    'r': ['.....', '.....', '#.##.', '##..#', '#....', '#....', '#....'],
    't': ['.#...', '.#...', '####.', '.#...', '.#...', '.#...', '..##.'],
    "'": ['#....', '#....', '.....', '.....', '.....', '.....', '.....'],
}
# Bold is the glyph drawn twice, one pixel apart; where that closes a glyph's inner
# gaps, it has a bold form of its own.
SMALL_FONT_BOLD_ROWS = {
    'M': ['##...##', '###.###', '##.#.##', '##.#.##', '##...##', '##...##', '##...##'],
}
SMALL_SPACE_WIDTH = 3


def SmallGlyph(ch, bold=False):
    """Returns (width, set pixels) of a small-font character."""
    if ch == ' ':
        return SMALL_SPACE_WIDTH, []
    rows = SMALL_FONT_BOLD_ROWS[ch] if bold and ch in SMALL_FONT_BOLD_ROWS else SMALL_FONT_ROWS[ch]
    cols = [x for x in range(len(rows[0])) if any(row[x] == '#' for row in rows)]
    left = cols[0]
    cells = set((x - left, y) for y, row in enumerate(rows) for x, cell in enumerate(row) if cell == '#')
    width = cols[-1] - left + 1
    if bold and ch not in SMALL_FONT_BOLD_ROWS:
        cells |= set((x + 1, y) for x, y in cells)
        width += 1
    return width, sorted(cells)


def SmallTextWidth(text, bold=False):
    return sum(SmallGlyph(ch, bold)[0] for ch in text) + len(text) - 1


def Lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def Clamp01(t):
    return 0.0 if t < 0.0 else 1.0 if t > 1.0 else t


class Canvas:
    """Float RGB picture; everything is painted as colour blended in by a coverage."""

    def __init__(self, width, height, paint):
        self.width, self.height = width, height
        self.pixels = [list(paint(x, y)) for y in range(height) for x in range(width)]

    def Blend(self, x, y, colour, alpha):
        if alpha <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        pixel = self.pixels[y * self.width + x]
        for i in range(3):
            pixel[i] += (colour[i] - pixel[i]) * min(alpha, 1.0)

    def Composite(self, mask, paint, opacity=1.0, dx=0, dy=0):
        """Paints paint(x, y) through a coverage mask, shifted by whole pixels."""
        for y in range(self.height):
            for x in range(self.width):
                sx, sy = x - dx, y - dy
                if 0 <= sx < self.width and 0 <= sy < self.height:
                    a = mask[sy * self.width + sx]
                    if a > 0.0:
                        self.Blend(x, y, paint(x, y), a * opacity)

    def Rounded(self):
        return [tuple(int(Clamp01(c / 255.0) * 255.0 + 0.5) for c in p) for p in self.pixels]


def CoverageMask(width, height, inside, box, edge_distance=None):
    """Anti-aliased coverage of the region inside(u, v) within box = (x0, y0, x1, y1).
    edge_distance(u, v), when given, is no more than the distance to the region's edge: a
    pixel whose centre lies further from it than half a diagonal is wholly in or out, so
    only its centre is tried (large icons would take minutes otherwise)."""
    mask = [0.0] * (width * height)
    x0, y0, x1, y1 = (max(0, int(math.floor(box[0]))), max(0, int(math.floor(box[1]))),
                      min(width, int(math.ceil(box[2]))), min(height, int(math.ceil(box[3]))))
    step = 1.0 / SUPERSAMPLE
    offsets = [(i + 0.5) * step for i in range(SUPERSAMPLE)]
    total = float(SUPERSAMPLE * SUPERSAMPLE)
    for y in range(y0, y1):
        for x in range(x0, x1):
            if edge_distance is not None and edge_distance(x + 0.5, y + 0.5) > 0.75:
                mask[y * width + x] = 1.0 if inside(x + 0.5, y + 0.5) else 0.0
                continue
            hits = sum(1 for oy in offsets for ox in offsets if inside(x + ox, y + oy))
            mask[y * width + x] = hits / total
    return mask


def SmallTextMask(width, height, x, y, text, bold=False):
    mask = [0.0] * (width * height)
    for ch in text:
        glyph_width, cells = SmallGlyph(ch, bold)
        for cx, cy in cells:
            px, py = x + cx, y + cy
            if 0 <= px < width and 0 <= py < height:
                mask[py * width + px] = 1.0
        x += glyph_width + 1
    return mask


def BoxBlur(mask, width, height, radius, passes=2):
    for _ in range(passes):
        rows = [0.0] * len(mask)
        for y in range(height):
            for x in range(width):
                lo, hi = max(0, x - radius), min(width - 1, x + radius)
                rows[y * width + x] = sum(mask[y * width + lo:y * width + hi + 1]) / (2 * radius + 1)
        mask = [0.0] * len(rows)
        for y in range(height):
            for x in range(width):
                lo, hi = max(0, y - radius), min(height - 1, y + radius)
                mask[y * width + x] = sum(rows[yy * width + x] for yy in range(lo, hi + 1)) / (2 * radius + 1)
    return mask


def InsidePolygon(u, v, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        (xi, yi), (xj, yj) = points[i], points[j]
        if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def InRect(u, v, x0, y0, x1, y1):
    return x0 <= u < x1 and y0 <= v < y1


def BigGlyph(ch, size, stroke):
    """Returns (advance, inside(u, v)) of a geometric capital, origin at its top left."""
    bar = stroke * 0.85
    if ch == 'L':
        width = 0.58 * size
        return width, lambda u, v: InRect(u, v, 0, 0, stroke, size) or InRect(u, v, 0, size - bar, width, size)
    if ch == 'E':
        width = 0.58 * size
        middle = size * 0.48
        return width, lambda u, v: (InRect(u, v, 0, 0, stroke, size) or InRect(u, v, 0, 0, width, bar)
                                    or InRect(u, v, 0, middle - bar / 2, width * 0.88, middle + bar / 2)
                                    or InRect(u, v, 0, size - bar, width, size))
    if ch == 'A':
        width = 0.80 * size
        centre = width / 2
        apex = stroke * 0.55
        outer = [(0, size), (centre - apex, 0), (centre + apex, 0), (width, size)]
        leg = stroke * math.hypot(centre - apex, size) / size
        reach = (centre - leg) / (centre - apex)
        inner = [(leg, size), (centre, size - reach * size), (width - leg, size)]
        bar_top = size * 0.60
        return width, lambda u, v: (InsidePolygon(u, v, outer)
                                    and (not InsidePolygon(u, v, inner) or bar_top <= v < bar_top + bar))
    if ch == 'M':
        width = 0.86 * size
        centre = width / 2
        diagonal = stroke * 1.25
        depth = size * 0.72
        slope = depth / (centre - diagonal / 2)
        notch = slope * (centre - diagonal)
        v_shape = [(0, 0), (diagonal, 0), (centre, notch), (width - diagonal, 0), (width, 0),
                   (centre + diagonal / 2, depth), (centre - diagonal / 2, depth)]
        return width, lambda u, v: (InRect(u, v, 0, 0, stroke, size) or InRect(u, v, width - stroke, 0, width, size)
                                    or InsidePolygon(u, v, v_shape))
    raise KeyError(ch)


def BigTextWidth(text, size, stroke):
    gap = size * 0.16
    return sum(BigGlyph(ch, size, stroke)[0] for ch in text) + gap * (len(text) - 1)


def BigTextMask(width, height, x, y, text, size, stroke):
    gap = size * 0.16
    glyphs = []
    for ch in text:
        advance, inside = BigGlyph(ch, size, stroke)
        glyphs.append((x, advance, inside))
        x += advance + gap

    def Inside(u, v):
        for left, advance, inside in glyphs:
            if left <= u < left + advance and inside(u - left, v - y):
                return True
        return False
    return CoverageMask(width, height, Inside, (glyphs[0][0], y, x, y + size))


def Hash01(ix, iy, seed):
    h = (ix * 374761393 + iy * 668265263 + seed * 1442695041) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFFFF) / float(0x1000000)


def ValueNoise(x, y, seed):
    ix, iy = int(math.floor(x)), int(math.floor(y))
    fx, fy = x - ix, y - iy
    sx, sy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    top = Hash01(ix, iy, seed) + (Hash01(ix + 1, iy, seed) - Hash01(ix, iy, seed)) * sx
    bottom = Hash01(ix, iy + 1, seed) + (Hash01(ix + 1, iy + 1, seed) - Hash01(ix, iy + 1, seed)) * sx
    return top + (bottom - top) * sy


def MaskUnion(*masks):
    return [max(values) for values in zip(*masks)]


def ExpansionLines():
    return ["LAME Ain't an", "MP3 Encoder"]


def Centred(content_width):
    return float(int((BANNER_WIDTH - content_width) / 2))


def InitialsPaint(text, x0, plain, initial, bold=False):
    """Paint for small text that shows the word initials L, A, M, E in their own colour."""
    spans = []
    x = x0
    at_word_start = True
    for ch in text:
        glyph_width = SmallGlyph(ch, bold)[0]
        if at_word_start and ch in 'LAME':
            spans.append((x, x + glyph_width))
        at_word_start = ch == ' '
        x += glyph_width + 1
    return lambda x, y: initial if any(a <= x < b for a, b in spans) else plain


def DrawBannerOrange():
    """Orange letters on white with a small seal-shaped badge."""
    w, h = BANNER_WIDTH, BANNER_HEIGHT
    canvas = Canvas(w, h, lambda x, y: Lerp((255, 255, 255), (232, 230, 226),
                                            (y / (h - 1)) ** 1.5 * 0.7 + x / (w - 1) * 0.3))
    for x in range(w):
        canvas.Blend(x, h - 1, (245, 140, 30), 0.9)
        canvas.Blend(x, h - 2, (245, 140, 30), 0.35)

    size, stroke, top = 26.0, 5.6, 4.0
    seal_radius, name_gap, text_gap = 14.6, 8, 9
    content = (2 * seal_radius + name_gap + BigTextWidth("LAME", size, stroke) + text_gap
               + max(SmallTextWidth(line) for line in ExpansionLines()))
    cx, cy = int((w - content) / 2) + seal_radius, 17.0

    def InSeal(u, v):
        angle = math.atan2(v - cy, u - cx)
        radius = seal_radius - 1.3 * (0.5 + 0.5 * math.cos(angle * 16))
        return math.hypot(u - cx, v - cy) < radius
    seal = CoverageMask(w, h, InSeal, (cx - 16, 0, cx + 16, 34))
    canvas.Composite(BoxBlur(seal, w, h, 1), lambda x, y: (120, 60, 10), 0.35, 1, 1)
    canvas.Composite(seal, lambda x, y: Lerp((255, 178, 70), (200, 70, 0),
                                             Clamp01(math.hypot(x - cx + 5.5, y - 10) / 20)))
    ring = CoverageMask(w, h, lambda u, v: 10.6 < math.hypot(u - cx, v - cy) < 11.6, (cx - 16, 0, cx + 16, 34))
    canvas.Composite(ring, lambda x, y: (255, 244, 225), 0.9)
    badge_width = SmallTextWidth("MP3")
    bx, by = int(cx - badge_width / 2 + 0.5), 14
    canvas.Composite(SmallTextMask(w, h, bx, by, "MP3"), lambda x, y: (110, 40, 0), 0.6, 1, 1)
    canvas.Composite(SmallTextMask(w, h, bx, by, "MP3"), lambda x, y: (255, 255, 255))

    left = cx + seal_radius + name_gap
    name = BigTextMask(w, h, left, top, "LAME", size, stroke)
    canvas.Composite(BoxBlur(name, w, h, 1), lambda x, y: (90, 60, 30), 0.35, 2, 2)
    canvas.Composite(name, lambda x, y: Lerp((255, 165, 40), (226, 84, 0), Clamp01((y - top) / size)))

    tx = int(left + BigTextWidth("LAME", size, stroke) + text_gap)
    for line, ty in zip(ExpansionLines(), (9, 20)):
        canvas.Composite(SmallTextMask(w, h, tx, ty, line),
                         InitialsPaint(line, tx, (70, 70, 72), (230, 100, 0)))
    return canvas


def DrawBannerNight():
    """Blue name with a glow and yellow lettering on black."""
    w, h = BANNER_WIDTH, BANNER_HEIGHT
    canvas = Canvas(w, h, lambda x, y: (0, 0, 0))
    size, stroke, top, text_gap = 27.0, 5.4, 4.0, 12
    left = Centred(BigTextWidth("LAME", size, stroke) + text_gap
                   + max(SmallTextWidth(line, True) for line in ExpansionLines()))
    name = BigTextMask(w, h, left, top, "LAME", size, stroke)
    canvas.Composite(BoxBlur(name, w, h, 3), lambda x, y: (20, 90, 255), 0.9)
    canvas.Composite(name, lambda x, y: Lerp((175, 220, 255), (25, 95, 255), Clamp01((y - top) / size)))

    tx = int(left + BigTextWidth("LAME", size, stroke) + text_gap)
    lines = ExpansionLines()
    yellow, deep_yellow = (255, 220, 40), (255, 170, 0)
    for line, ty in zip(lines, (8, 20)):
        mask = SmallTextMask(w, h, tx, ty, line, bold=True)
        canvas.Composite(BoxBlur(mask, w, h, 1), lambda x, y: (120, 90, 0), 0.5)
        canvas.Composite(mask, lambda x, y, ty=ty: Lerp(yellow, deep_yellow, Clamp01((y - ty) / 6)))
    rule_end = tx + max(SmallTextWidth(line, bold=True) for line in lines)
    for x in range(tx, rule_end + 1):
        fade = 1.0 - abs((x - tx) / max(1, rule_end - tx) - 0.5) * 2
        canvas.Blend(x, 17, (40, 120, 255), 0.25 + 0.75 * fade)
    return canvas


def DrawBannerWood():
    """Black letters on a wood-grain ground, framed like a carved sign."""
    w, h = BANNER_WIDTH, BANNER_HEIGHT
    light, dark = (226, 186, 134), (170, 115, 62)

    def Wood(x, y):
        bend = 4.0 * math.sin(x * 0.021 + 0.6) + 2.5 * ValueNoise(x * 0.03, y * 0.1, 7)
        rings = (y + bend) * 0.33 + 1.6 * ValueNoise(x * 0.015, y * 0.06, 3)
        band = 0.5 + 0.5 * math.sin(rings * math.pi)
        streak = ValueNoise(x * 0.35, y * 1.7, 11)
        tone = Clamp01(band ** 3 * 0.75 + streak * 0.35 - 0.05)
        return Lerp(light, dark, tone)
    canvas = Canvas(w, h, Wood)
    for x in range(w):
        canvas.Blend(x, 0, (255, 236, 200), 0.45)
        canvas.Blend(x, h - 1, (70, 40, 15), 0.55)
    for y in range(h):
        canvas.Blend(0, y, (255, 236, 200), 0.45)
        canvas.Blend(w - 1, y, (70, 40, 15), 0.55)

    size, stroke, top, text_gap = 26.0, 5.8, 4.0, 12
    left = Centred(BigTextWidth("LAME", size, stroke) + text_gap
                   + max(SmallTextWidth(line, True) for line in ExpansionLines()))
    name = BigTextMask(w, h, left, top, "LAME", size, stroke)
    canvas.Composite(name, lambda x, y: (255, 238, 205), 0.55, 1, 1)
    canvas.Composite(name, lambda x, y: (16, 12, 8))

    tx = int(left + BigTextWidth("LAME", size, stroke) + text_gap)
    for line, ty in zip(ExpansionLines(), (9, 20)):
        mask = SmallTextMask(w, h, tx, ty, line, bold=True)
        canvas.Composite(mask, lambda x, y: (255, 238, 205), 0.4, 1, 1)
        canvas.Composite(mask, lambda x, y: (20, 14, 8))
    return canvas


# The icon's shapes on its 32 x 32 grid, shared by every PNG size and the SVG.
ICON_GROUND = ((84, 128, 214), (26, 44, 112))
ICON_EDGE_LIGHT, ICON_EDGE_DARK, ICON_EDGE_OPACITY = (170, 200, 255), (10, 20, 60), 0.6
ICON_SPEAKER = [(4.5, 12.0), (10.0, 12.0), (17.5, 5.5), (17.5, 26.5), (10.0, 20.0), (4.5, 20.0)]
ICON_SPEAKER_COLOURS = ((255, 255, 255), (196, 206, 226))
ICON_SPEAKER_SHADOW = (10, 20, 50)
ICON_CROSS = [((21.0, 11.5), (28.5, 20.5)), ((21.0, 20.5), (28.5, 11.5))]
ICON_CROSS_HALF_WIDTH = 1.7
ICON_CROSS_COLOUR, ICON_CROSS_SHADOW = (240, 50, 40), (60, 0, 0)
ICON_SHADOW_OPACITY = 0.5


def SegmentDistance(u, v, a, b):
    (ax, ay), (bx, by) = a, b
    t = Clamp01(((u - ax) * (bx - ax) + (v - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2))
    return math.hypot(u - (ax + t * (bx - ax)), v - (ay + t * (by - ay)))


def DrawIcon(n=ICON_SIZE):
    """A speaker with a red cross: sound switched off, the program's product."""
    scale = n / float(ICON_SIZE)
    # Edges and shadows stay whole pixels: one at 32 x 32, more on larger icons.
    band = max(1, int(round(scale)))
    canvas = Canvas(n, n, lambda x, y: Lerp(ICON_GROUND[0], ICON_GROUND[1], (x + y) / (2.0 * (n - 1))))
    for i in range(n):
        for k in range(band):
            for x, y in ((i, k), (k, i)):
                canvas.Blend(x, y, ICON_EDGE_LIGHT, ICON_EDGE_OPACITY)
            for x, y in ((i, n - 1 - k), (n - 1 - k, i)):
                canvas.Blend(x, y, ICON_EDGE_DARK, ICON_EDGE_OPACITY)

    speaker = [(x * scale, y * scale) for x, y in ICON_SPEAKER]
    edges = list(zip(speaker, speaker[1:] + speaker[:1]))
    body = CoverageMask(n, n, lambda u, v: InsidePolygon(u, v, speaker), (0, 0, n, n),
                        lambda u, v: min(SegmentDistance(u, v, a, b) for a, b in edges))
    canvas.Composite(body, lambda x, y: ICON_SPEAKER_SHADOW, ICON_SHADOW_OPACITY, band, band)
    canvas.Composite(body, lambda x, y: Lerp(ICON_SPEAKER_COLOURS[0], ICON_SPEAKER_COLOURS[1], y / (n - 1.0)))

    strokes = [((ax * scale, ay * scale), (bx * scale, by * scale)) for (ax, ay), (bx, by) in ICON_CROSS]
    half_width = ICON_CROSS_HALF_WIDTH * scale
    cross = CoverageMask(n, n, lambda u, v: any(SegmentDistance(u, v, a, b) < half_width for a, b in strokes),
                         (0, 0, n, n),
                         lambda u, v: min(abs(SegmentDistance(u, v, a, b) - half_width) for a, b in strokes))
    canvas.Composite(cross, lambda x, y: ICON_CROSS_SHADOW, ICON_SHADOW_OPACITY, band, band)
    canvas.Composite(cross, lambda x, y: ICON_CROSS_COLOUR)
    return canvas


def IconSvg():
    """The icon's shapes as SVG on the 32 x 32 grid, for the scalable theme folder."""
    n = ICON_SIZE

    def Hex(colour):
        return '#%02x%02x%02x' % colour

    def Points(points):
        return ' '.join('%g,%g' % p for p in points)
    cross = ''.join('M%g %gL%g %g' % (a + b) for a, b in ICON_CROSS)
    lines = [
        '<?xml version="1.0" encoding="UTF-8"?>',
        '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">' % (n, n, n, n),
        '  <title>Hushmaker</title>',
        '  <defs>',
        '    <linearGradient id="ground" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="%d" y2="%d">' % (n, n),
        '      <stop offset="0" stop-color="%s"/>' % Hex(ICON_GROUND[0]),
        '      <stop offset="1" stop-color="%s"/>' % Hex(ICON_GROUND[1]),
        '    </linearGradient>',
        '    <linearGradient id="speaker" gradientUnits="userSpaceOnUse" x1="0" y1="0" x2="0" y2="%d">' % n,
        '      <stop offset="0" stop-color="%s"/>' % Hex(ICON_SPEAKER_COLOURS[0]),
        '      <stop offset="1" stop-color="%s"/>' % Hex(ICON_SPEAKER_COLOURS[1]),
        '    </linearGradient>',
        '  </defs>',
        '  <rect width="%d" height="%d" fill="url(#ground)"/>' % (n, n),
        '  <path d="M0 0H%dV1H1V%dH0Z" fill="%s" fill-opacity="%g"/>' % (n, n, Hex(ICON_EDGE_LIGHT), ICON_EDGE_OPACITY),
        '  <path d="M%d %dH0V%dH%dV0H%dZ" fill="%s" fill-opacity="%g"/>'
        % (n, n, n - 1, n - 1, n, Hex(ICON_EDGE_DARK), ICON_EDGE_OPACITY),
        '  <polygon points="%s" transform="translate(1 1)" fill="%s" fill-opacity="%g"/>'
        % (Points(ICON_SPEAKER), Hex(ICON_SPEAKER_SHADOW), ICON_SHADOW_OPACITY),
        '  <polygon points="%s" fill="url(#speaker)"/>' % Points(ICON_SPEAKER),
        '  <g fill="none" stroke-width="%g" stroke-linecap="round">' % (2 * ICON_CROSS_HALF_WIDTH),
        '    <path d="%s" transform="translate(1 1)" stroke="%s" stroke-opacity="%g"/>'
        % (cross, Hex(ICON_CROSS_SHADOW), ICON_SHADOW_OPACITY),
        '    <path d="%s" stroke="%s"/>' % (cross, Hex(ICON_CROSS_COLOUR)),
        '  </g>',
        '</svg>',
    ]
    return '\n'.join(lines) + '\n'


def MedianCut(pixels, count):
    """Reduces to exactly `count` distinct colours by splitting the box of largest squared
    error at its weighted median; returns a map old colour -> new colour. Split halves never
    share a value on the split channel and a rounded mean stays within its box, so the new
    colours are distinct."""
    histogram = Counter(pixels)
    if len(histogram) < count:
        raise ValueError("only %d colours drawn, %d wanted" % (len(histogram), count))

    def Stats(box):
        total = sum(histogram[c] for c in box)
        means = [sum(c[k] * histogram[c] for c in box) / total for k in range(3)]
        errors = [sum(histogram[c] * (c[k] - means[k]) ** 2 for c in box) for k in range(3)]
        return total, means, errors

    boxes = [sorted(histogram)]
    stats = [Stats(boxes[0])]
    while len(boxes) < count:
        index = max((i for i in range(len(boxes)) if len(boxes[i]) > 1), key=lambda i: (sum(stats[i][2]), -i))
        box = boxes[index]
        errors = stats[index][2]
        channel = max((k for k in range(3) if len(set(c[k] for c in box)) > 1), key=lambda k: (errors[k], -k))
        box = sorted(box, key=lambda c: (c[channel], c))
        half = stats[index][0] / 2.0
        cuts = [i for i in range(1, len(box)) if box[i][channel] != box[i - 1][channel]]
        running, cumulative = 0, []
        for c in box:
            running += histogram[c]
            cumulative.append(running)
        cut = min(cuts, key=lambda i: (abs(cumulative[i - 1] - half), i))
        boxes[index:index + 1] = [box[:cut], box[cut:]]
        stats[index:index + 1] = [Stats(box[:cut]), Stats(box[cut:])]

    mapping = {}
    for box, (_, means, _) in zip(boxes, stats):
        colour = tuple(int(m + 0.5) for m in means)
        for c in box:
            mapping[c] = colour
    assert len(set(mapping.values())) == count
    return mapping


def Quantise(canvas, count):
    pixels = canvas.Rounded()
    mapping = MedianCut(pixels, count)
    return [mapping[p] for p in pixels]


def PaletteByUse(pixels):
    counts = Counter(pixels)
    return sorted(counts, key=lambda c: (-counts[c], c))


def BannerKeys(pixels, colours):
    """Key byte per colour and the colour map entries in key order. With a full map one
    entry is not used by any pixel: it holds key 0 (see KEY_ORDER)."""
    palette = PaletteByUse(pixels)
    used = min(colours, BANNER_MAX_KEYS - 1)
    assert len(palette) == used
    if colours > used:
        spare = next((g, g, g) for g in range(256) if (g, g, g) not in palette)
        palette.append(spare)
    return {c: KEY_ORDER[i] for i, c in enumerate(palette)}, palette


def CString(data):
    out = []
    for b in data:
        if 0x20 <= b < 0x7F and chr(b) not in '"\\?':
            out.append(chr(b))
        else:
            out.append('\\%03o' % b)
    return '"' + ''.join(out) + '"'


def CLiterals(data, chunk, indent):
    """Adjacent literals, one per source line; every escape has three octal digits, so
    the next character can never extend it."""
    parts = [CString(data[i:i + chunk]) for i in range(0, len(data), chunk)]
    return ('\n' + indent).join(parts)


def BannerSource(name, pixels, colours, comment):
    keys, palette = BannerKeys(pixels, colours)
    lines = ['// %s' % comment,
             'const char* const %s[BANNER_XPM_LINES] = {' % name,
             '    "%d %d -%d 1",' % (BANNER_WIDTH, BANNER_HEIGHT, len(palette))]
    colour_map = bytes(b for c in palette for b in (keys[c],) + c)
    lines.append('    ' + CLiterals(colour_map, 32, '    ') + ',')
    for y in range(BANNER_HEIGHT):
        row = bytes(keys[p] for p in pixels[y * BANNER_WIDTH:(y + 1) * BANNER_WIDTH])
        assert 0 not in row
        lines.append('    ' + CLiterals(row, 70, '    ') + ',')
    lines.append('};')
    return '\n'.join(lines) + '\n'


def IconXpmLines(pixels):
    palette = PaletteByUse(pixels)
    keys = {c: chr(KEY_ORDER[i]) for i, c in enumerate(palette)}
    lines = ['%d %d %d 1' % (ICON_SIZE, ICON_SIZE, len(palette))]
    lines += ['%s c #%02x%02x%02x' % ((keys[c],) + c) for c in palette]
    for y in range(ICON_SIZE):
        lines.append(''.join(keys[p] for p in pixels[y * ICON_SIZE:(y + 1) * ICON_SIZE]))
    return lines


def Png(width, height, pixels):
    def Chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b''.join(b'\x00' + bytes(b for p in pixels[y * width:(y + 1) * width] for b in p) for y in range(height))
    return (b'\x89PNG\r\n\x1a\n' + Chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 2, 0, 0, 0))
            + Chunk(b'IDAT', zlib.compress(raw, 9)) + Chunk(b'IEND', b''))


def WriteFile(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode('ascii'))


def WritePreview(directory, name, width, height, pixels, scale):
    os.makedirs(directory, exist_ok=True)
    ppm = os.path.join(directory, name + '.ppm')
    WriteFile(ppm, b'P6 %d %d 255\n' % (width, height) + bytes(b for p in pixels for b in p))
    subprocess.run(['convert', ppm, '-scale', '%d%%' % (scale * 100), os.path.join(directory, name + '.png')],
                   check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument('--out', default=root, help='folder that receives ui/ and resources/')
    parser.add_argument('--preview', help='folder for enlarged PNG previews')
    args = parser.parse_args()

    banners = [('banner_xpm_1', DrawBannerOrange, 254), ('banner_xpm_2', DrawBannerNight, 247),
               ('banner_xpm_3', DrawBannerWood, 256)]
    parts = ['// The three banner pictures of the link buttons, drawn by tools/draw_images.py; run',
             '// the script rather than editing this file.',
             '#include "ui/banner_images.h"', '']
    for name, draw, colours in banners:
        pixels = Quantise(draw(), min(colours, BANNER_MAX_KEYS - 1))
        parts.append(BannerSource(name, pixels, colours, (draw.__doc__ or '').strip()))
        if args.preview:
            WritePreview(args.preview, name, BANNER_WIDTH, BANNER_HEIGHT, pixels, 4)
    WriteFile(os.path.join(args.out, 'ui', 'banner_images.cpp'), '\n'.join(parts))

    icon = DrawIcon()
    distinct = len(set(icon.Rounded()))
    icon_pixels = Quantise(icon, min(distinct, ICON_MAX_COLOURS))
    xpm = IconXpmLines(icon_pixels)
    WriteFile(os.path.join(args.out, 'resources', 'icon_xpm.h'),
              '// The program icon, 32 x 32, as XPM data with a "c #rrggbb" colour table.\n'
              '#pragma once\n\n'
              'constexpr int ICON_XPM_SIZE = %d;\n'
              'constexpr int ICON_XPM_COLOURS = %d;\n'
              'constexpr int ICON_XPM_LINES = 1 + ICON_XPM_COLOURS + ICON_XPM_SIZE;\n\n'
              'extern const char* const hushmaker_icon_xpm[ICON_XPM_LINES];\n' % (ICON_SIZE, len(xpm) - 1 - ICON_SIZE))
    WriteFile(os.path.join(args.out, 'resources', 'icon_xpm.cpp'),
              '// The program icon (a speaker with a red cross), drawn by tools/draw_images.py; run\n'
              '// the script rather than editing this file.\n'
              '#include "resources/icon_xpm.h"\n\n'
              'const char* const hushmaker_icon_xpm[ICON_XPM_LINES] = {\n'
              + ''.join('    %s,\n' % CString(line.encode('ascii')) for line in xpm) + '};\n')
    WriteFile(os.path.join(args.out, 'resources', 'hushmaker.png'), Png(ICON_SIZE, ICON_SIZE, icon_pixels))
    if args.preview:
        WritePreview(args.preview, 'icon', ICON_SIZE, ICON_SIZE, icon_pixels, 8)
    for size in DESKTOP_ICON_SIZES:
        pixels = DrawIcon(size).Rounded()
        WriteFile(os.path.join(args.out, 'resources', 'icons', 'hushmaker-%d.png' % size), Png(size, size, pixels))
    WriteFile(os.path.join(args.out, 'resources', 'icons', 'hushmaker.svg'), IconSvg())


if __name__ == '__main__':
    main()
