#!/usr/bin/env python3
"""Draw Lumivane's shooting stars: six quick streaks of light, each as a
picture and a mask for the night sky seen through the roof window.

The program lays a shooting star onto the sky in two steps: the mask is
AND-ed onto the sky (white keeps the sky, black cuts it out), then the
picture is OR-ed on top (black adds nothing).  So every picture is black
except for the streak, and every mask is white except for black exactly
where its picture is not black.  The mask is derived from the picture
here, so the two always match.

Each image is 48x48 with only the sixteen VGA colours; the program uses
the top-left 47x47, so row 47 and column 47 stay black in the pictures and
white in the masks.  A streak is a one-pixel line walked from its head
(the leading, lower end) back to its tail with no anti-aliasing; the
colour steps down along it from a white head through light grey, dark
grey and dark cyan to a dark blue tip, and the head has a faint glow on
its four sides.

Variants k = 0..5 and their resource numbers (picture, mask):
  k=0 (135, 137)  long, down-right at a shallow angle
  k=1 (138, 139)  short, down-left and steep
  k=2 (140, 141)  medium, down-right and steep
  k=3 (142, 143)  long, down-left at a shallow angle
  k=4 (144, 145)  short, nearly level, to the right
  k=5 (157, 158)  medium, down-left at 45 degrees

Writes shootingstar<N>.xpm for all twelve into res/art/ (or the directory
given as the first argument).

    python3 tools/art/make_shooting_stars.py [output-dir]

Only the Python standard library is used.
"""

import os
import sys

SIZE = 48      # size of each image
USED = 47      # the program uses the top-left USED x USED pixels

COLOURS = {
    "K": "#000000",   # black: nothing (picture) / cut the sky (mask)
    "W": "#FFFFFF",   # white: the head (picture) / keep the sky (mask)
    "L": "#C0C0C0",   # light grey: the bright part of the trail
    "D": "#808080",   # dark grey: the middle of the trail, and the glow
    "C": "#008080",   # dark cyan: the fading end of the trail
    "B": "#000080",   # dark blue: the very tip of the tail
}

# Colour steps along the trail, from the head backwards.  Each entry is
# (fraction of the streak's length where the step ends, colour key); the
# first HEAD_PIXELS pixels are always white.
HEAD_PIXELS = 2
RAMP = [
    (0.40, "L"),
    (0.72, "D"),
    (0.90, "C"),
    (1.00, "B"),
]
GLOW = "D"

# (picture resource, mask resource, tail (x, y), head (x, y)) for k = 0..5.
# Heads keep one pixel of room on every side for the glow inside the used
# 47x47 box.
STREAKS = [
    (135, 137, (4, 9), (42, 23)),    # k=0 long, down-right, shallow
    (138, 139, (31, 13), (26, 28)),  # k=1 short, down-left, steep
    (140, 141, (13, 7), (26, 36)),   # k=2 medium, down-right, steep
    (142, 143, (43, 6), (5, 22)),    # k=3 long, down-left, shallow
    (144, 145, (12, 21), (31, 24)),  # k=4 short, nearly level, right
    (157, 158, (37, 9), (12, 34)),   # k=5 medium, down-left, 45 degrees
]

# picture resource number -> mask resource number, for the checker
PAIRS = [(pic, mask) for pic, mask, _, _ in STREAKS]


def line(head, tail):
    """The pixels of the line from head to tail (both included), head
    first, one per step along the major axis (Bresenham)."""
    (x0, y0), (x1, y1) = head, tail
    dx, dy = abs(x1 - x0), abs(y1 - y0)
    sx = 1 if x1 > x0 else -1
    sy = 1 if y1 > y0 else -1
    err = dx - dy
    pts = []
    x, y = x0, y0
    while True:
        pts.append((x, y))
        if (x, y) == (x1, y1):
            return pts
        e2 = 2 * err
        if e2 > -dy:
            err -= dy
            x += sx
        if e2 < dx:
            err += dx
            y += sy


def ramp_key(i, n):
    """Colour key of the i-th pixel (0 = head) of an n-pixel streak."""
    if i < HEAD_PIXELS:
        return "W"
    f = i / float(n - 1)
    for end, key in RAMP:
        if f <= end:
            return key
    return RAMP[-1][1]


def streak(tail, head):
    """{(x, y): key} for one streak: the ramped line and the head's glow."""
    pts = line(head, tail)
    pix = {}
    for i, p in enumerate(pts):
        pix[p] = ramp_key(i, len(pts))
    hx, hy = head
    for p in ((hx - 1, hy), (hx + 1, hy), (hx, hy - 1), (hx, hy + 1)):
        if p not in pix:
            pix[p] = GLOW
    for (x, y) in pix:
        if not (0 <= x < USED and 0 <= y < USED):
            raise SystemExit("streak %r -> %r leaves the %dx%d box"
                             % (tail, head, USED, USED))
    return pix


def picture_rows(pix):
    return ["".join(pix.get((x, y), "K") for x in range(SIZE))
            for y in range(SIZE)]


def mask_rows(pic_rows):
    """White where the picture is black, black where it is not."""
    return ["".join("W" if ch == "K" else "K" for ch in row)
            for row in pic_rows]


def xpm_text(name, rows):
    used = sorted({ch for row in rows for ch in row})
    lines = ["/* XPM */",
             "static const char *%s[] = {" % name,
             '"%d %d %d 1",' % (SIZE, SIZE, len(used))]
    for key in used:
        lines.append('"%s c %s",' % (key, COLOURS[key]))
    lines.append(",\n".join('"%s"' % row for row in rows))
    lines.append("};")
    return "\n".join(lines) + "\n"


def self_check(pic, mask):
    """The rules the program relies on, checked before anything is written."""
    assert len(pic) == SIZE and len(mask) == SIZE
    for y in range(SIZE):
        assert len(pic[y]) == SIZE and len(mask[y]) == SIZE
        for x in range(SIZE):
            p, m = pic[y][x], mask[y][x]
            assert m in "KW"
            assert (m == "K") == (p != "K")
            if x == USED or y == USED:
                assert p == "K" and m == "W"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.join(here, os.pardir, os.pardir, "res", "art")
    os.makedirs(out_dir, exist_ok=True)
    for k, (pic_res, mask_res, tail, head) in enumerate(STREAKS):
        pix = streak(tail, head)
        pic = picture_rows(pix)
        mask = mask_rows(pic)
        self_check(pic, mask)
        for res, rows in ((pic_res, pic), (mask_res, mask)):
            name = "shootingstar%d" % res
            with open(os.path.join(out_dir, name + ".xpm"), "w") as f:
                f.write(xpm_text(name, rows))
        n = len(line(head, tail))
        print("k=%d  shootingstar%d/%d  tail (%2d, %2d) -> head (%2d, %2d),"
              " %d pixels long" % (k, pic_res, mask_res, tail[0], tail[1],
                                   head[0], head[1], n))


if __name__ == "__main__":
    main()
