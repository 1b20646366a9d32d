#!/usr/bin/env python3
"""Draw Lumivane's program icons: a square and a round roof window seen from
below, red wooden frame lit from the upper left, a cross of glazing bars and
the night sky behind the glass.

Writes, into res/art/ (or the directory given as the first argument):
  icon128_32.xpm, icon128_16.xpm, icon128_32hi.xpm   square window
  icon130_32.xpm, icon130_16.xpm, icon130_32hi.xpm   round window
The *_32 and *_16 files use only the sixteen VGA colours so they look the
same on any display; the *_32hi files use a free palette (at most 90 colours:
the number of keys that fit one character per pixel).  Standard library only.
"""

import math
import os
import sys

# ---------------------------------------------------------------- colours

VGA = {
    "black": (0x00, 0x00, 0x00), "maroon": (0x80, 0x00, 0x00),
    "green": (0x00, 0x80, 0x00), "olive": (0x80, 0x80, 0x00),
    "navy": (0x00, 0x00, 0x80), "purple": (0x80, 0x00, 0x80),
    "teal": (0x00, 0x80, 0x80), "silver": (0xC0, 0xC0, 0xC0),
    "grey": (0x80, 0x80, 0x80), "red": (0xFF, 0x00, 0x00),
    "lime": (0x00, 0xFF, 0x00), "yellow": (0xFF, 0xFF, 0x00),
    "blue": (0x00, 0x00, 0xFF), "fuchsia": (0xFF, 0x00, 0xFF),
    "aqua": (0x00, 0xFF, 0xFF), "white": (0xFF, 0xFF, 0xFF),
}

# Characters for colour keys: printable ASCII without the quote and the
# backslash (they would need escaping in C), '?' (trigraphs) and '/' (so no
# row can look like the start or end of a comment to a casual reader or a
# simple tool).  The space is reserved for the transparent colour.
KEY_CHARS = [chr(c) for c in range(33, 127) if chr(c) not in '"\\?/']


class Canvas:
    """A W x H grid of (r, g, b) tuples, None where transparent."""

    def __init__(self, w, h, fill=None):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def get(self, x, y):
        return self.px[y][x]

    def blend(self, x, y, c, a):
        """Mix colour c over the pixel with coverage a (0..1).  Over a
        transparent pixel there is nothing to mix with: it is either
        covered (a >= 0.5) or left clear."""
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        a = min(a, 1.0)
        base = self.px[y][x]
        if base is None:
            if a >= 0.5:
                self.px[y][x] = c
            return
        self.px[y][x] = tuple(int(round(b + (t - b) * a))
                              for b, t in zip(base, c))

    def stamp(self, x0, y0, grid, palette):
        """Copy a character grid; '.' leaves the canvas alone."""
        for r, row in enumerate(grid):
            for c, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + c, y0 + r, palette[ch])


# ------------------------------------------------------------ XPM output

def reduce_palette(canvas, limit):
    """Merge the closest pair of colours until at most `limit` remain.
    The hi-colour pictures only come near the limit through blended edges,
    so the merges are invisible; weighting by count keeps the big areas
    exact."""
    counts = {}
    for row in canvas.px:
        for c in row:
            if c is not None:
                counts[c] = counts.get(c, 0) + 1
    mapping = {c: c for c in counts}
    cols = dict(counts)
    while len(cols) > limit:
        items = list(cols.items())
        best = None
        for i in range(len(items)):
            for j in range(i + 1, len(items)):
                (a, na), (b, nb) = items[i], items[j]
                d = sum((p - q) ** 2 for p, q in zip(a, b)) * min(na, nb)
                if best is None or d < best[0]:
                    best = (d, a, b)
        _, a, b = best
        keep, drop = (a, b) if cols[a] >= cols[b] else (b, a)
        cols[keep] += cols.pop(drop)
        for k, v in mapping.items():
            if v == drop:
                mapping[k] = keep
    for row in canvas.px:
        for x, c in enumerate(row):
            if c is not None:
                row[x] = mapping[c]


def write_xpm(path, canvas, allowed=None):
    name = os.path.splitext(os.path.basename(path))[0]
    colours = sorted({c for row in canvas.px for c in row if c is not None},
                     key=lambda c: (sum(c), c))
    if allowed is not None:
        bad = [c for c in colours if c not in allowed]
        if bad:
            raise SystemExit("%s: colours outside the set: %s" % (name, bad))
    if len(colours) > len(KEY_CHARS):
        raise SystemExit("%s: too many colours (%d)" % (name, len(colours)))
    has_none = any(c is None for row in canvas.px for c in row)
    keys = dict(zip(colours, KEY_CHARS))
    lines = ["/* XPM */", "static const char *%s[] = {" % name,
             '"%d %d %d 1",' % (canvas.w, canvas.h,
                                len(colours) + (1 if has_none else 0))]
    if has_none:
        lines.append('"  c None",')
    for c in colours:
        lines.append('"%s c #%02X%02X%02X",' % ((keys[c],) + c))
    rows = ['"' + "".join(" " if c is None else keys[c] for c in row) + '"'
            for row in canvas.px]
    lines.append(",\n".join(rows))
    lines.append("};")
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


# ------------------------------------------------- the sixteen-colour art

# One character per VGA colour in the little hand-drawn grids below.
V = {
    "K": VGA["black"], "M": VGA["maroon"], "R": VGA["red"],
    "N": VGA["navy"], "Y": VGA["yellow"], "W": VGA["white"],
    "S": VGA["silver"], "G": VGA["grey"], "T": VGA["teal"],
}

# A crescent moon, lit side to the left, horns pointing right.
MOON_32 = [
    "..YY..",
    ".YY...",
    "YYY...",
    "YYY...",
    "YYY...",
    ".YY...",
    "..YY..",
]

# A bright star with short rays.
SPARKLE_32 = [
    ".S.",
    "SWS",
    ".S.",
]

# A shooting star, head at the lower left, tail fading up to the right.
METEOR_32 = [
    "....T",
    "...G.",
    "..S..",
    ".W...",
    "W....",
]


def vga_frame_colour(x, y, size, lo, hi):
    """Which wood colour a pixel of a square frame gets: the top and left
    bars face the light, the bottom and right bars are in shade; the
    corners where a lit bar meets a shaded one are mitred on the
    diagonal."""
    top = y - lo
    left = x - lo
    bottom = hi - y
    right = hi - x
    nearest = min(top, left, bottom, right)
    if nearest in (top, left) and not (
            (top == nearest and right < top) or
            (left == nearest and bottom < left)):
        return "lit"
    if top == right and top == nearest:
        return "lit" if x + y < size - 1 else "shade"
    if left == bottom and left == nearest:
        return "lit" if x + y < size - 1 else "shade"
    return "shade"


def square_32_vga():
    n = 32
    cv = Canvas(n, n)
    for y in range(n):
        for x in range(n):
            edge = min(x, y, n - 1 - x, n - 1 - y)
            if edge == 0 or edge == 5:
                c = V["K"]                       # outer edge, glass rebate
            elif edge <= 4:
                side = vga_frame_colour(x, y, n, 1, n - 2)
                c = V["R"] if side == "lit" else V["M"]
            else:
                c = V["N"]                       # night sky
            cv.set(x, y, c)
    # glazing bars: lit edge up/left, shaded edge down/right; they run
    # through the rebate line so they join the frame
    for i in range(5, 27):
        cv.set(15, i, V["R"])
        cv.set(16, i, V["M"])
    for i in range(5, 27):
        cv.set(i, 15, V["R"])
        cv.set(i, 16, V["M"])
    cv.set(16, 15, V["R"])
    night_sky_32(cv)
    return cv


def night_sky_32(cv, round_glass=False):
    """Moon, stars and a shooting star for the 32-pixel windows; the four
    panes are roughly (6..14, 6..14), (17..25, 6..14) and so on.  Behind
    round glass the upper corners are cut off, so the moon and the bright
    star move in a little towards the bars."""
    if round_glass:
        cv.stamp(9, 7, MOON_32, V)
        cv.stamp(19, 8, SPARKLE_32, V)
    else:
        cv.stamp(8, 7, MOON_32, V)
        cv.stamp(20, 7, SPARKLE_32, V)
    cv.set(24, 12, V["Y"])
    cv.set(18, 12, V["W"])
    cv.set(8, 19, V["W"])
    cv.set(13, 20, V["S"])
    cv.set(10, 23, V["Y"])
    cv.stamp(19, 19, METEOR_32, V)


def ring_distance(x, y, n):
    """Distance of a pixel's centre from the middle of an n x n image."""
    return math.hypot(x + 0.5 - n / 2.0, y + 0.5 - n / 2.0)


def round_mask(n, radius):
    """Pixels whose centres lie within `radius` of the image's middle."""
    return {(x, y) for y in range(n) for x in range(n)
            if ring_distance(x, y, n) <= radius}


def rim(mask):
    """Pixels of a mask with a side neighbour outside it: a one-pixel
    outline with no gaps and no doubled corners."""
    return {(x, y) for (x, y) in mask
            if any((x + dx, y + dy) not in mask
                   for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))}


def round_layout(n, outer, glass_r, rebate):
    """Split a round window into outline, wood, rebate and glass pixels."""
    disc = round_mask(n, outer)
    outline = rim(disc)
    glass = round_mask(n, glass_r)
    if rebate:
        seal = {(x, y) for (x, y) in disc - glass
                if any((x + dx, y + dy) in glass
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))}
    else:
        seal = set()
    wood = disc - outline - glass - seal
    return disc, outline, wood, seal, glass


def lit_half(x, y, n):
    """Upper-left half of the image, which faces the light."""
    return (x + 0.5 - n / 2.0) + (y + 0.5 - n / 2.0) < 0


def round_32_vga():
    n = 32
    cv = Canvas(n, n)
    disc, outline, wood, seal, glass = round_layout(n, 16.0, 10.3, True)
    for (x, y) in disc:
        if (x, y) in outline or (x, y) in seal:
            c = V["K"]
        elif (x, y) in wood:
            c = V["R"] if lit_half(x, y, n) else V["M"]
        else:
            c = V["N"]
        cv.set(x, y, c)
    # the bars run from rebate to rebate
    inner = glass | seal
    for i in range(n):
        for x, y, c in ((15, i, "R"), (16, i, "M"), (i, 15, "R"), (i, 16, "M")):
            if (x, y) in inner:
                cv.set(x, y, V[c])
    cv.set(16, 15, V["R"])
    night_sky_32(cv, round_glass=True)
    return cv


# The 16-pixel windows keep only what still reads: frame, cross, dark sky,
# the moon and a couple of stars.
MOON_16 = [
    ".YY",
    "YY.",
    "YY.",
    ".YY",
]


def square_16_vga():
    n = 16
    cv = Canvas(n, n)
    for y in range(n):
        for x in range(n):
            edge = min(x, y, n - 1 - x, n - 1 - y)
            if edge == 0:
                c = V["K"]
            elif edge <= 2:
                side = vga_frame_colour(x, y, n, 1, n - 2)
                c = V["R"] if side == "lit" else V["M"]
            else:
                c = V["N"]
            cv.set(x, y, c)
    for i in range(3, 13):
        cv.set(7, i, V["R"])
        cv.set(8, i, V["M"])
        cv.set(i, 7, V["R"])
        cv.set(i, 8, V["M"])
    cv.set(8, 7, V["R"])
    cv.stamp(3, 3, MOON_16, V)
    cv.set(11, 4, V["W"])
    cv.set(5, 11, V["Y"])
    cv.set(11, 10, V["W"])
    return cv


def round_16_vga():
    n = 16
    cv = Canvas(n, n)
    disc, outline, wood, seal, glass = round_layout(n, 8.0, 5.3, False)
    for (x, y) in disc:
        if (x, y) in outline:
            c = V["K"]
        elif (x, y) in wood:
            c = V["R"] if lit_half(x, y, n) else V["M"]
        else:
            c = V["N"]
        cv.set(x, y, c)
    for i in range(n):
        for x, y, c in ((7, i, "R"), (8, i, "M"), (i, 7, "R"), (i, 8, "M")):
            if (x, y) in glass:
                cv.set(x, y, V[c])
    cv.set(8, 7, V["R"])
    cv.stamp(4, 3, MOON_16, V)
    cv.set(10, 4, V["W"])
    cv.set(11, 10, V["W"])
    return cv


# ----------------------------------------------------- the hi-colour art

def hexc(s):
    return tuple(int(s[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(p + (q - p) * t)) for p, q in zip(a, b))


def scale(c, k):
    return tuple(max(0, min(255, int(round(v * k)))) for v in c)


def coverage(inside, x, y, ss=4):
    """Fraction of pixel (x, y) covered by the shape `inside(px, py)`,
    sampled on an ss x ss grid."""
    hits = 0
    for j in range(ss):
        for i in range(ss):
            if inside(x + (i + 0.5) / ss, y + (j + 0.5) / ss):
                hits += 1
    return hits / float(ss * ss)


# Wood, from the face that catches the light to the one in shade; each
# ramp runs from the outer edge of a bar in to the glass.
WOOD_LIT = [hexc(c) for c in ("#F46A50", "#E24E38", "#CE3E2A", "#B43020")]
WOOD_SHADE = [hexc(c) for c in ("#8A2016", "#7A1B13", "#6A160F", "#58120B")]
OUTLINE_HI = hexc("#1E0604")
REBATE_HI = hexc("#160406")
SKY_TOP = hexc("#25377F")
SKY_LOW = hexc("#070A1E")
MOON_HI = hexc("#FFEC80")
MOON_EDGE_HI = hexc("#E6BE48")


def grain(along, depth):
    """A gentle lengthwise grain: two slow waves, no randomness, so the
    bars look like painted wood rather than noise."""
    return 1.0 + 0.05 * math.sin(along * 0.9 + depth * 2.1) \
        + 0.03 * math.sin(along * 2.7 + depth * 0.7)


def sky_colour(y, top, bottom):
    return mix(SKY_TOP, SKY_LOW, (y - top) / float(max(1, bottom - top)))


def paint_night_sky_hi(cv, glass, top, bottom, round_glass):
    """Gradient sky, moon glow, moon, stars and a shooting star over the
    glass pixels of a 32-pixel window."""
    for (x, y) in glass:
        cv.set(x, y, sky_colour(y, top, bottom))
    # behind round glass the pane's corner is cut off, so the moon is a
    # little smaller and sits nearer the bars
    mx, my, mr = (12.0, 10.9, 3.2) if round_glass else (10.9, 10.4, 3.5)
    # a faint glow round the moon
    for (x, y) in glass:
        d = math.hypot(x + 0.5 - mx, y + 0.5 - my)
        if d < 6.0:
            cv.blend(x, y, hexc("#4A5AA8"), 0.45 * (1.0 - d / 6.0) ** 1.5)

    # the crescent: a disc with a slightly smaller disc taken out of its
    # right side; the lit edge is a touch deeper in colour
    def lit(px, py):
        k = mr / 3.5
        return (math.hypot(px - mx, py - my) <= mr and
                math.hypot(px - (mx + 1.7 * k), py - (my - 0.8 * k)) > 3.0 * k)

    def limb(px, py):
        return lit(px, py) and math.hypot(px - mx, py - my) > mr - 0.7

    for (x, y) in glass:
        a = coverage(lit, x, y)
        if a > 0:
            cv.blend(x, y, MOON_HI, a)
            e = coverage(limb, x, y)
            if e > 0:
                cv.blend(x, y, MOON_EDGE_HI, 0.5 * e / a)

    def star(x, y, colour, strength, rays=0.0):
        if (x, y) in glass:
            cv.blend(x, y, colour, strength)
        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
            if rays and (x + dx, y + dy) in glass:
                cv.blend(x + dx, y + dy, hexc("#C8D6FF"), rays)
        for dx, dy in ((2, 0), (-2, 0), (0, 2), (0, -2)):
            if rays and (x + dx, y + dy) in glass:
                cv.blend(x + dx, y + dy, hexc("#8FA2E8"), rays * 0.35)

    white, pale = hexc("#FFFFFF"), hexc("#FFF0A0")
    if round_glass:
        star(20, 9, white, 1.0, rays=0.7)
    else:
        star(21, 8, white, 1.0, rays=0.7)
    star(18, 12, white, 0.85)
    star(24, 12, pale, 1.0)
    star(8, 19, white, 0.95)
    star(13, 20, hexc("#B8C8FF"), 0.75)
    star(10, 23, pale, 0.95)

    # the shooting star: a thin streak, bright at its head (lower left)
    # and fading out up to the right
    hx, hy, tx, ty = 19.5, 23.5, 24.6, 18.4
    length = math.hypot(tx - hx, ty - hy)
    for (x, y) in glass:
        acc = 0.0
        for j in range(4):
            for i in range(4):
                px, py = x + (i + 0.5) / 4, y + (j + 0.5) / 4
                t = ((px - hx) * (tx - hx) + (py - hy) * (ty - hy)) / length ** 2
                if -0.08 <= t <= 1.0:
                    qx, qy = hx + t * (tx - hx), hy + t * (ty - hy)
                    if math.hypot(px - qx, py - qy) <= 0.45:
                        acc += (1.0 - max(t, 0.0)) ** 1.3
        if acc > 0:
            cv.blend(x, y, hexc("#E8F4FF"), min(1.0, acc / 16.0 * 1.6))


def bar_shadows(cv, glass, pixels):
    """Darken the glass just below and right of the frame and the bars:
    they stand in front of the glass and the light comes from the upper
    left."""
    for (x, y) in pixels:
        if (x, y) in glass:
            cv.set(x, y, scale(cv.get(x, y), 0.72))


def square_32_hi():
    n = 32
    cv = Canvas(n, n)
    for y in range(n):
        for x in range(n):
            edge = min(x, y, n - 1 - x, n - 1 - y)
            if edge == 0:
                cv.set(x, y, OUTLINE_HI)
            elif edge <= 4:
                side = vga_frame_colour(x, y, n, 1, n - 2)
                ramp = WOOD_LIT if side == "lit" else WOOD_SHADE
                # the grain runs along the bar: across the image for the
                # top and bottom bars, down it for the side bars
                along = x if edge == min(y, n - 1 - y) else y
                cv.set(x, y, scale(ramp[edge - 1], grain(along, edge)))
            elif edge == 5:
                lit = x == 5 or y == 5
                lit = lit and x < n - 6 and y < n - 6
                cv.set(x, y, REBATE_HI if lit else scale(REBATE_HI, 1.6))
    glass = {(x, y) for y in range(6, 26) for x in range(6, 26)}
    paint_night_sky_hi(cv, glass, 6, 25, False)
    shadow = {(x, 6) for x in range(6, 26)} | {(6, y) for y in range(6, 26)}
    shadow |= {(x, 17) for x in range(6, 26)} | {(17, y) for y in range(6, 26)}
    bar_shadows(cv, glass, shadow)
    paint_bars_hi(cv, range(5, 27))
    return cv


def paint_bars_hi(cv, span, keep=None):
    """The two glazing bars, 2 pixels wide, lit edge up and to the left."""
    for i in span:
        for (x, y, k) in ((15, i, 0), (16, i, 1), (i, 15, 0), (i, 16, 1)):
            if keep is None or (x, y) in keep:
                c = WOOD_LIT[1] if k == 0 else WOOD_SHADE[1]
                cv.set(x, y, scale(c, grain(i, 2 + k)))
    if keep is None or (16, 15) in keep:
        cv.set(16, 15, WOOD_LIT[1])
    if keep is None or (15, 16) in keep:
        cv.set(15, 16, WOOD_SHADE[0])


def round_32_hi():
    n = 32
    cv = Canvas(n, n)
    disc, outline, wood, seal, glass = round_layout(n, 16.0, 10.3, True)
    c0 = n / 2.0
    for (x, y) in disc:
        dx, dy = x + 0.5 - c0, y + 0.5 - c0
        if (x, y) in outline:
            cv.set(x, y, OUTLINE_HI)
        elif (x, y) in seal:
            lit = dx + dy < 0
            cv.set(x, y, REBATE_HI if lit else scale(REBATE_HI, 1.6))
        elif (x, y) in wood:
            r = math.hypot(dx, dy)
            # how squarely the ring faces the light (upper left), -1..1
            facing = -(dx + dy) / (r * math.sqrt(2.0))
            t = (1.0 - facing) / 2.0             # 0 lit .. 1 shaded
            depth = max(0.0, min(3.0, (15.0 - r)))  # 0 outer .. 3 inner
            k = int(depth)
            f = depth - k
            lit_c = mix(WOOD_LIT[k], WOOD_LIT[min(k + 1, 3)], f)
            shade_c = mix(WOOD_SHADE[k], WOOD_SHADE[min(k + 1, 3)], f)
            smooth = t * t * (3 - 2 * t)
            # turned wood: the grain follows the ring, so it is taken
            # along the radius, and kept faint
            g = 1.0 + 0.5 * (grain(r * 2.0, 0.0) - 1.0)
            cv.set(x, y, scale(mix(lit_c, shade_c, smooth), g))
    paint_night_sky_hi(cv, glass, 6, 25, True)
    shadow = set()
    for (x, y) in glass:
        # glass next to the rebate on its upper-left side, and right of /
        # below the bars
        if ((x - 1, y) in seal and x < 16) or ((x, y - 1) in seal and y < 16):
            shadow.add((x, y))
        if x == 17 or y == 17:
            shadow.add((x, y))
    bar_shadows(cv, glass, shadow)
    paint_bars_hi(cv, range(n), keep=glass | seal)
    return cv


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.join(here, os.pardir, os.pardir, "res", "art")
    os.makedirs(out, exist_ok=True)
    vga = set(VGA.values())
    write_xpm(os.path.join(out, "icon128_32.xpm"), square_32_vga(), vga)
    write_xpm(os.path.join(out, "icon130_32.xpm"), round_32_vga(), vga)
    write_xpm(os.path.join(out, "icon128_16.xpm"), square_16_vga(), vga)
    write_xpm(os.path.join(out, "icon130_16.xpm"), round_16_vga(), vga)
    for name, draw in (("icon128_32hi", square_32_hi),
                       ("icon130_32hi", round_32_hi)):
        cv = draw()
        reduce_palette(cv, len(KEY_CHARS))
        write_xpm(os.path.join(out, name + ".xpm"), cv)


if __name__ == "__main__":
    main()
