#!/usr/bin/env python3
"""Draw the pictures of Lumivane's about box.

Writes, into res/art/ (C arrays the resource table compiles in):
  bitmap181.xpm               the round box's emblem: a round roof window seen
                              from below, 32x32, sixteen VGA colours, opaque
  cursor132.xpm..cursor141.xpm
                              the pointer over the box: a five-pointed star
                              twinkling in ten steps (100 ms each, 141 wraps
                              to 132), 32x32, VGA colours, transparent
                              background, hot spot (15, 15) on the star's
                              middle, stored in the XPM header
and into data/ (read from the program folder on displays of 8 to 14 bits):
  VerBG.SBM   236x113  night sky behind the square box's white text
  CVerBG.SBM  141x141  the same behind the round box (shown in a circle)
The two night skies are first drawn as PNG (a small writer below, standard
library only) and then turned into 8-bit run-length SBM files by the
project's own sbmtool, so the script needs its path.  To regenerate all of
it from the repository root:

  cmake -S . -B build -G Ninja && cmake --build build --target sbmtool
  python3 tools/art/make_about_art.py --sbmtool build/bin/sbmtool

Without --sbmtool only the XPM files and the PNG drafts are written (the
drafts go to a temporary folder unless --png-dir says where).  --preview DIR
also writes enlarged PNG views of every picture (cursors over light and dark
ground) for looking at them.  The random star fields are seeded, so every
run gives the same bytes.
"""

import argparse
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, os.pardir, os.pardir))

# ---------------------------------------------------------------- colours

# The sixteen classic colours, as the icons have them.
sys.path.insert(0, HERE)
from make_icons import VGA  # noqa: E402

# One letter per colour in the XPM files, chosen so the text of a file can
# be read as a picture: K for black, Y for yellow and so on.
XPM_KEY = {
    "black": "K", "maroon": "M", "green": "G", "olive": "O", "navy": "N",
    "purple": "P", "teal": "T", "silver": "S", "grey": "D", "red": "R",
    "lime": "L", "yellow": "Y", "blue": "B", "fuchsia": "F", "aqua": "A",
    "white": "W",
}


def write_xpm(path, grid, hot_spot=None):
    """Write a grid of VGA colour names (None: transparent) as a C array
    named after the file.  The hot spot, when given, goes into the header
    as its fifth and sixth numbers, where the cursor loader looks."""
    name = os.path.splitext(os.path.basename(path))[0]
    h, w = len(grid), len(grid[0])
    used = sorted({c for row in grid for c in row if c is not None},
                  key=lambda c: (sum(VGA[c]), XPM_KEY[c]))
    clear = any(c is None for row in grid for c in row)
    header = "%d %d %d 1" % (w, h, len(used) + (1 if clear else 0))
    if hot_spot is not None:
        header += " %d %d" % hot_spot
    lines = ["/* XPM */", "static const char *%s[] = {" % name,
             '"%s",' % header]
    if clear:
        lines.append('"  c None",')
    for c in used:
        lines.append('"%s c #%02X%02X%02X",' % ((XPM_KEY[c],) + VGA[c]))
    rows = ['"' + "".join(" " if c is None else XPM_KEY[c] for c in row) + '"'
            for row in grid]
    lines.append(",\n".join(rows))
    lines.append("};")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    return len(used)


# ------------------------------------------------------------- PNG output

def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + \
        struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, rows):
    """Rows of (r, g, b) or (r, g, b, a) tuples as an 8-bit RGB or RGBA
    PNG (RGBA as soon as one pixel has an alpha)."""
    h, w = len(rows), len(rows[0])
    alpha = any(len(p) == 4 for row in rows for p in row)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # no filter: the pictures are small
        for p in row:
            if alpha:
                raw.extend(p if len(p) == 4 else p + (255,))
            else:
                raw.extend(p)
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(png_chunk(b"IHDR", ihdr))
        f.write(png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        f.write(png_chunk(b"IEND", b""))


def enlarge(rows, k):
    out = []
    for row in rows:
        wide = [p for p in row for _ in range(k)]
        out.extend([list(wide) for _ in range(k)])
    return out


def grid_rgb(grid, ground):
    """A colour-name grid as RGB rows, transparent pixels showing `ground`
    (a function of x, y)."""
    return [[VGA[c] if c is not None else ground(x, y)
             for x, c in enumerate(row)] for y, row in enumerate(grid)]


# -------------------------------------------------- the round roof window

def bitmap_181():
    """A round roof window seen from below: red wooden ring lit from the
    upper left, a black rebate round the glass, a cross of glazing bars
    and a navy sky with a handful of stars.  The corners are black: the
    emblem sits on the box's dark sky, so there they vanish and the ring
    alone gives the shape."""
    n = 32
    mid = n / 2.0

    def dist(x, y):
        return math.hypot(x + 0.5 - mid, y + 0.5 - mid)

    def lit(x, y):
        # the upper-left half faces the light
        return (x + 0.5 - mid) + (y + 0.5 - mid) < 0

    disc = {(x, y) for y in range(n) for x in range(n) if dist(x, y) <= 15.6}
    glass = {(x, y) for (x, y) in disc if dist(x, y) <= 10.2}
    near = ((1, 0), (-1, 0), (0, 1), (0, -1))
    outline = {(x, y) for (x, y) in disc
               if any((x + dx, y + dy) not in disc for dx, dy in near)}
    rebate = {(x, y) for (x, y) in disc - glass
              if any((x + dx, y + dy) in glass for dx, dy in near)}
    grid = [["black"] * n for _ in range(n)]
    for (x, y) in disc:
        if (x, y) in outline or (x, y) in rebate:
            c = "black"
        elif (x, y) in glass:
            c = "navy"
        else:
            c = "red" if lit(x, y) else "maroon"
        grid[y][x] = c

    # glazing bars, two pixels wide, lit edge up and left; they run from
    # rebate to rebate so they join the frame
    for i in range(n):
        for (x, y, c) in ((15, i, "red"), (16, i, "maroon"),
                          (i, 15, "red"), (i, 16, "maroon")):
            if (x, y) in glass or (x, y) in rebate:
                grid[y][x] = c
    grid[15][16] = "red"  # the crossing: the lit horizontal bar on top

    # the sky: two bright stars with short rays, two yellow ones and a few
    # single points, all on the glass and off the bars
    stars = [
        (11, 9, "white"), (10, 9, "silver"), (12, 9, "silver"),
        (11, 8, "silver"), (11, 10, "silver"),
        (21, 8, "white"), (24, 12, "yellow"), (19, 12, "silver"),
        (8, 13, "white"), (12, 12, "grey"),
        (9, 20, "yellow"), (13, 23, "white"), (11, 19, "grey"),
        (22, 19, "white"), (21, 19, "silver"), (23, 19, "silver"),
        (22, 20, "silver"), (22, 18, "silver"),
        (19, 23, "grey"), (23, 22, "silver"),
    ]
    for x, y, c in stars:
        if (x, y) not in glass or x in (15, 16) or y in (15, 16):
            raise SystemExit("star at (%d, %d) is not on the glass" % (x, y))
        grid[y][x] = c
    return grid


# ------------------------------------------------- the twinkling pointer

CURSOR_SIZE = 32
CURSOR_HOT = (15, 15)
CURSOR_FRAMES = 10
FIRST_CURSOR = 132
SPARKLES = 5
SPARKLE_RADIUS = 12.0


def star_polygon(cx, cy, outer, inner, turn=-90.0):
    """Corners of a five-pointed star, first point straight up."""
    pts = []
    for k in range(10):
        r = outer if k % 2 == 0 else inner
        a = math.radians(turn + 36.0 * k)
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return pts


def inside_polygon(px, py, pts):
    hit = False
    j = len(pts) - 1
    for i in range(len(pts)):
        (xi, yi), (xj, yj) = pts[i], pts[j]
        if (yi > py) != (yj > py) and \
                px < xi + (xj - xi) * (py - yi) / (yj - yi):
            hit = not hit
        j = i
    return hit


def star_shape():
    """Pixels of the star body (coverage of at least half a pixel on a 4x4
    sample grid), centred on the hot spot's pixel."""
    cx, cy = CURSOR_HOT[0] + 0.5, CURSOR_HOT[1] + 1.0
    # the centre sits half a pixel low: a five-pointed star's weight is
    # below its middle, and this way the upper point and the two feet end
    # on whole pixels
    pts = star_polygon(cx, cy, 8.2, 3.4)
    body = set()
    for y in range(CURSOR_SIZE):
        for x in range(CURSOR_SIZE):
            hits = sum(inside_polygon(x + (i + 0.5) / 4, y + (j + 0.5) / 4, pts)
                       for i in range(4) for j in range(4))
            if hits >= 8:
                body.add((x, y))
    # the shape must be mirror-symmetric about the hot spot's column, or it
    # looks lopsided at this size
    for (x, y) in body:
        if (2 * CURSOR_HOT[0] - x, y) not in body:
            raise SystemExit("star is not symmetric at (%d, %d)" % (x, y))
    return body, (cx, cy)


def twinkle(frame):
    """The star's brightness in this frame, 0 (dim) to 1 (brightest): one
    smooth pulse per ten frames, so 141 -> 132 continues it."""
    return 0.5 + 0.5 * math.cos(2.0 * math.pi * frame / CURSOR_FRAMES)


def sparkle_states(frame):
    """Centre and arm length of each sparkle.  The sparkles sit in the five
    notches between the star's points; each grows and shrinks once per ten
    frames, each a fifth of a cycle after the one before it clockwise, so a
    wave of light runs round the star and 141 -> 132 carries it on."""
    out = []
    for k in range(SPARKLES):
        angle = math.radians(-54.0 + 72.0 * k)
        phase = 2.0 * math.pi * (frame / float(CURSOR_FRAMES) - k / 5.0)
        size = 1.5 + 1.6 * math.cos(phase)
        x = CURSOR_HOT[0] + 0.5 + SPARKLE_RADIUS * math.cos(angle)
        y = CURSOR_HOT[1] + 1.0 + SPARKLE_RADIUS * math.sin(angle)
        out.append((int(math.floor(x)), int(math.floor(y)),
                    max(0, int(round(size)))))
    return out


def sparkle_pixels(sx, sy, arm):
    """The sparkle's lit pixels (colour names) and its shadow pixels: a
    white heart, arms of `arm` pixels with an olive tip once they are long,
    short silver diagonals on the largest, and a black shadow on the lower
    right of each lit pixel so it also reads on a white desktop."""
    lit = {(sx, sy): "white"}
    for r in range(1, arm + 1):
        c = "yellow" if r < arm or arm == 1 else "olive"
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            lit[(sx + dx * r, sy + dy * r)] = c
    if arm >= 3:
        for dx, dy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
            lit[(sx + dx, sy + dy)] = "silver"
    shadow = set()
    for (x, y) in lit:
        for dx, dy in ((1, 0), (0, 1), (1, 1)):
            if (x + dx, y + dy) not in lit:
                shadow.add((x + dx, y + dy))
    return lit, shadow


def cursor_frame(frame, body, centre):
    n = CURSOR_SIZE
    grid = [[None] * n for _ in range(n)]
    glow = twinkle(frame)
    cx, cy = centre
    # body colours by distance from the middle: a white heart whose size
    # follows the twinkle, yellow round it and, when the star is dim, its
    # point tips darken to olive
    heart = 0.8 + 1.6 * glow
    tips = 6.0 + 2.6 * glow
    for (x, y) in body:
        d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
        if d <= heart:
            c = "white"
        elif d >= tips:
            c = "olive"
        else:
            c = "yellow"
        grid[y][x] = c
    # one black pixel all round (eight directions) keeps the edge clear on
    # a white desktop as well as a black one
    for (x, y) in body:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                px, py = x + dx, y + dy
                if 0 <= px < n and 0 <= py < n and grid[py][px] is None:
                    grid[py][px] = "black"

    for (sx, sy, arm) in sparkle_states(frame):
        lit, shadow = sparkle_pixels(sx, sy, arm)
        for (x, y), c in lit.items():
            grid[y][x] = c
        for (x, y) in shadow:
            # a shadow may fall off the bottom edge; the sparkle may not
            if y < n and grid[y][x] is None:
                grid[y][x] = "black"
    return grid


def cursors():
    body, centre = star_shape()
    frames = [cursor_frame(f, body, centre) for f in range(CURSOR_FRAMES)]
    for f, grid in enumerate(frames):
        # every sparkle, shadow included, stays inside the image and keeps
        # a clear pixel between itself and the star's outline
        for (sx, sy, arm) in sparkle_states(f):
            lit, shadow = sparkle_pixels(sx, sy, arm)
            for (x, y) in set(lit) | shadow:
                if not (0 <= x < CURSOR_SIZE and 0 <= y < CURSOR_SIZE) \
                        and (x, y) in lit:
                    raise SystemExit("sparkle leaves the image in frame %d"
                                     % f)
                if any(max(abs(x - bx), abs(y - by)) < 3 for bx, by in body):
                    raise SystemExit("sparkle meets the star in frame %d"
                                     % f)
        if grid[CURSOR_HOT[1]][CURSOR_HOT[0]] != "white":
            raise SystemExit("hot spot is not on the star's heart")
    return frames


# ------------------------------------------------------ the night skies

def smooth_noise(seed, w, h, cell):
    """Value noise: random values on a grid of `cell` pixels, smoothly
    interpolated; 0..1."""
    rnd = random.Random(seed)
    gw, gh = w // cell + 2, h // cell + 2
    lattice = [[rnd.random() for _ in range(gw)] for _ in range(gh)]

    def fade(t):
        return t * t * (3 - 2 * t)

    out = []
    for y in range(h):
        gy, fy = divmod(y / float(cell), 1.0)
        gy = int(gy)
        row = []
        for x in range(w):
            gx, fx = divmod(x / float(cell), 1.0)
            gx = int(gx)
            a = lattice[gy][gx] + (lattice[gy][gx + 1] - lattice[gy][gx]) * fade(fx)
            b = lattice[gy + 1][gx] + \
                (lattice[gy + 1][gx + 1] - lattice[gy + 1][gx]) * fade(fx)
            row.append(a + (b - a) * fade(fy))
        out.append(row)
    return out


def night_sky(w, h, seed, text_box, band, horizon):
    """A night sky as rows of float RGB.

    text_box: (x0, y0, x1, y1) where the white text goes; stars there are
      few and faint and the Milky Way is damped, so the letters stay clear.
    band: ((x0, y0), (x1, y1), width) the Milky Way's axis and half-width.
    horizon: a function x -> y of the ground's top edge (None: no ground).
    """
    rnd = random.Random(seed)
    clouds = smooth_noise(seed + 1, w, h, 14)
    grain = smooth_noise(seed + 2, w, h, 5)
    (bx0, by0), (bx1, by1), bwidth = band
    blen = math.hypot(bx1 - bx0, by1 - by0)
    ux, uy = (bx1 - bx0) / blen, (by1 - by0) / blen
    tx0, ty0, tx1, ty1 = text_box

    def calm(x, y):
        """1 inside the text box, fading to 0 within 10 pixels of it."""
        dx = max(tx0 - x, 0, x - tx1)
        dy = max(ty0 - y, 0, y - ty1)
        return max(0.0, 1.0 - math.hypot(dx, dy) / 10.0)

    img = []
    band_level = []
    for y in range(h):
        t = y / float(h - 1)
        # black overhead, deepening to a dark blue towards the horizon
        base = (2 + 10 * t * t, 4 + 26 * t ** 1.6, 14 + 62 * t ** 1.3)
        row = []
        lrow = []
        for x in range(w):
            # distance from the band's axis, soft edged, patchy along it
            off = (x - bx0) * uy - (y - by0) * ux
            along = (x - bx0) * ux + (y - by0) * uy
            core = math.exp(-(off / bwidth) ** 2)
            patch = 0.35 + 0.9 * clouds[y][x] * (0.6 + 0.4 * grain[y][x])
            # a dark lane down the band's middle
            lane = 1.0 - 0.45 * math.exp(-((off - 2.0 * math.sin(along / 23.0))
                                           / (bwidth * 0.22)) ** 2)
            level = core * patch * lane * (1.0 - 0.55 * calm(x, y))
            lrow.append(level)
            row.append([base[0] + 24 * level, base[1] + 26 * level,
                        base[2] + 34 * level])
        img.append(row)
        band_level.append(lrow)

    def put_star(x, y, bright, tint):
        if not (0 <= x < w and 0 <= y < h):
            return
        px = img[y][x]
        for i in range(3):
            px[i] = min(255.0, px[i] + bright * tint[i])

    tints = [(1.0, 1.0, 1.0), (0.85, 0.92, 1.0), (1.0, 0.93, 0.78),
             (0.78, 0.86, 1.0), (1.0, 0.85, 0.7)]
    # faint dust of stars, thicker in the band
    for _ in range(w * h // 9):
        x, y = rnd.randrange(w), rnd.randrange(h)
        keep = 0.25 + 1.6 * band_level[y][x]
        if rnd.random() > keep:
            continue
        bright = 18 + 55 * rnd.random() ** 2
        bright *= 1.0 - 0.6 * calm(x, y)
        put_star(x, y, bright, rnd.choice(tints))
    # brighter stars: single points, a few with a soft cross of neighbours
    count = w * h // 260
    for _ in range(count):
        x, y = rnd.randrange(w), rnd.randrange(h)
        if calm(x, y) > 0.0:
            continue
        bright = 110 + 140 * rnd.random() ** 1.5
        tint = rnd.choice(tints)
        put_star(x, y, bright, tint)
        if bright > 190:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                put_star(x + dx, y + dy, bright * 0.32, tint)

    if horizon is not None:
        for x in range(w):
            top = horizon(x)
            for y in range(h):
                if y >= top:
                    # the land: almost black, a touch of blue from the sky
                    img[y][x] = [3.0, 5.0, 10.0]
                elif y >= top - 3:
                    # a faint glow where the sky meets the ground
                    k = (3 - (top - y)) / 3.0 * 0.25
                    img[y][x] = [v * (1 + k) for v in img[y][x]]
    return img


def hills(w, h, seed, height, trees):
    """A horizon function: two layers of gentle hills with a few pointed
    trees on them."""
    rnd = random.Random(seed)
    waves = [(rnd.uniform(0.0, 6.3), rnd.uniform(18.0, 45.0),
              rnd.uniform(1.5, 3.5)) for _ in range(3)]
    spots = [(rnd.uniform(0, w), rnd.uniform(5.0, 9.0), rnd.uniform(2.0, 3.2))
             for _ in range(trees)]

    def top(x):
        y = h - height
        for phase, length, amp in waves:
            y += amp * math.sin(x / length + phase)
        for tx, th, tw in spots:
            d = abs(x - tx)
            if d < tw:
                y -= th * (1.0 - d / tw)
        return int(round(y))
    return top


def quantise(img, limit):
    """Float RGB rows to at most `limit` colours: median cut over the
    pixel colours, then every pixel to its nearest box average.  An ordered
    dither of about one level keeps the smooth sky free of bands."""
    bayer = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]
    h, w = len(img), len(img[0])
    px = []
    for y in range(h):
        for x in range(w):
            d = (bayer[y % 4][x % 4] + 0.5) / 16.0 - 0.5
            px.append(tuple(max(0, min(255, int(round(v + 1.6 * d))))
                            for v in img[y][x]))
    counts = {}
    for p in px:
        counts[p] = counts.get(p, 0) + 1
    boxes = [list(counts.items())]
    while len(boxes) < limit:
        # split the box with the widest spread, weighted by its pixels
        best, best_i, best_ch = -1, None, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                spread = (max(vals) - min(vals)) * \
                    math.sqrt(sum(n for _, n in box))
                if spread > best:
                    best, best_i, best_ch = spread, i, ch
        if best_i is None or best <= 0:
            break
        box = sorted(boxes.pop(best_i), key=lambda cn: cn[0][best_ch])
        total = sum(n for _, n in box)
        run, cut = 0, 1
        for j, (_, n) in enumerate(box):
            run += n
            if run * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes.append(box[:cut])
        boxes.append(box[cut:])
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(int(round(sum(c[ch] * n for c, n in box) / total))
                             for ch in range(3)))
    nearest = {}
    for c in counts:
        nearest[c] = min(palette, key=lambda p: (p[0] - c[0]) ** 2 +
                         (p[1] - c[1]) ** 2 + (p[2] - c[2]) ** 2)
    rows = [[nearest[px[y * w + x]] for x in range(w)] for y in range(h)]
    return rows, len({c for row in rows for c in row})


def square_background():
    w, h = 236, 113
    horizon = hills(w, h, 18101, 9, 5)
    img = night_sky(w, h, 236113, text_box=(60, 10, 214, 86),
                    band=((-10, 112), (246, -4), 17.0), horizon=horizon)
    return quantise(img, 240)


def round_background():
    n = 141
    horizon = hills(n, n, 14102, 16, 4)
    # the text runs from about y 41 to 103 and the OK button sits below it
    img = night_sky(n, n, 141141, text_box=(12, 38, 128, 106),
                    band=((-10, 96), (150, -6), 15.0), horizon=horizon)
    return quantise(img, 240)


# ------------------------------------------------------------------- main

def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--root", default=ROOT,
                    help="repository root to write res/art and data into")
    ap.add_argument("--sbmtool", help="path of the built sbmtool; without "
                    "it the SBM files are not made")
    ap.add_argument("--png-dir", help="where the night-sky PNGs go "
                    "(default: a temporary folder)")
    ap.add_argument("--preview", help="write enlarged PNG views here")
    args = ap.parse_args()

    art = os.path.join(args.root, "res", "art")
    data = os.path.join(args.root, "data")
    os.makedirs(art, exist_ok=True)
    os.makedirs(data, exist_ok=True)
    if args.preview:
        os.makedirs(args.preview, exist_ok=True)

    emblem = bitmap_181()
    used = write_xpm(os.path.join(art, "bitmap181.xpm"), emblem)
    print("bitmap181.xpm: 32x32, %d colours" % used)
    frames = cursors()
    for f, grid in enumerate(frames):
        name = "cursor%d.xpm" % (FIRST_CURSOR + f)
        used = write_xpm(os.path.join(art, name), grid, CURSOR_HOT)
        print("%s: 32x32, %d colours + None, hot spot %s"
              % (name, used, CURSOR_HOT))

    if args.preview:
        write_png(os.path.join(args.preview, "bitmap181_x8.png"),
                  enlarge(grid_rgb(emblem, None), 8))
        # all ten frames side by side, once on a light and once on a dark
        # checker, each frame 8x with the hot spot's pixel ringed in red
        for label, ground in (("light", ((255, 255, 255), (214, 214, 214))),
                              ("dark", ((0, 0, 40), (40, 40, 80)))):
            strip = [[] for _ in range(CURSOR_SIZE)]
            for grid in frames:
                rows = grid_rgb(grid, lambda x, y: ground[(x // 4 + y // 4) % 2])
                for y in range(CURSOR_SIZE):
                    strip[y].extend(rows[y] + [(255, 0, 0)])
            write_png(os.path.join(args.preview, "cursors_%s_x8.png" % label),
                      enlarge(strip, 8))

    png_dir = args.png_dir or tempfile.mkdtemp(prefix="lumivane-about-")
    os.makedirs(png_dir, exist_ok=True)
    for name, draw in (("VerBG", square_background),
                       ("CVerBG", round_background)):
        rows, colours = draw()
        png = os.path.join(png_dir, name + ".png")
        write_png(png, rows)
        print("%s.png: %dx%d, %d colours" % (name, len(rows[0]), len(rows),
                                             colours))
        if args.preview:
            write_png(os.path.join(args.preview, name + "_x3.png"),
                      enlarge(rows, 3))
        if args.sbmtool:
            sbm = os.path.join(data, name + ".SBM")
            subprocess.run([args.sbmtool, "encode", png, sbm, "--rle"],
                           check=True)
            print("%s.SBM: %d bytes" % (name, os.path.getsize(sbm)))
    if not args.sbmtool:
        print("no --sbmtool given: the SBM files were not made; the PNGs "
              "are in %s" % png_dir, file=sys.stderr)


if __name__ == "__main__":
    main()
