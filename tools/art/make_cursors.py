#!/usr/bin/env python3
"""Compose Lumivane's animated pointer: the plain arrow with a little yellow
star that circles it clockwise in 24 steps.

Each frame is written as a 32x32 XPM with the hot spot (the arrow's tip) at
(13, 8).  Frames are named by resource number: step 2k-1 is cursor(143+k),
step 2k is cursor(155+k), so playing 144,156,145,157,...,155,167 takes the
star once round, starting at the arrow's upper right.

Run from anywhere:  python3 tools/art/make_cursors.py [output-dir]
The default output directory is the repository's res/art/.
Only the Python standard library is used.
"""

import math
import os
import sys

SIZE = 32
HOT_X, HOT_Y = 13, 8
STEPS = 24

# The arrow, tip at the top-left character.  K = black outline, W = white.
ARROW = [
    "K...........",
    "KK..........",
    "KWK.........",
    "KWWK........",
    "KWWWK.......",
    "KWWWWK......",
    "KWWWWWK.....",
    "KWWWWWWK....",
    "KWWWWWWWK...",
    "KWWWWWWWWK..",
    "KWWWWWWWWWK.",
    "KWWWWWWWWWWK",
    "KWWWWWWKKKKK",
    "KWWWKWWK....",
    "KWWKKWWK....",
    "KWK..KWWK...",
    "KK...KWWK...",
    "K.....KWWK..",
    "......KWWK..",
    ".......KK...",
]

# The star, 7x7, centred on its middle character.  Y = yellow body,
# O = dark-yellow rim and K = black on the shadowed lower right, so the star
# keeps a clear edge on a white desktop and its full shape on a black one.
STAR = [
    "...O...",
    "..OYO..",
    "OOYYYOO",
    "OYYYYYO",
    ".OYYYK.",
    ".OYKYK.",
    ".OK.KK.",
]

COLOURS = {
    "K": "#000000",
    "W": "#FFFFFF",
    "Y": "#FFFF00",
    "O": "#808000",
}

# Where the star's centre sits at each step, in step order (clockwise on
# screen, step 1 up and to the right of the arrow).  The arrow fills the
# lower right of the cursor, so the path is a rounded square hugging the
# image edges: x = 28 on the right, y = 3 along the top, x = 6 on the left,
# y = 27..28 at the bottom, with steps about three pixels apart.  Two places
# are too tight for the star to pass with a clear pixel of air round it:
# beside the widest row of the arrow (so step 5 -> 6 is a longer stride) and
# under the tail, which reaches row 27 of 32; there the star goes "behind"
# the tail in one step (7 -> 8).  positions_ok() checks every entry.
POSITIONS = [
    (27, 5),   # 1  upper right
    (28, 8),   # 2
    (28, 11),  # 3
    (28, 14),  # 4
    (28, 17),  # 5  right
    (28, 23),  # 6
    (27, 27),  # 7  lower right, beside the tail
    (10, 28),  # 8  lower left, past the tail
    (7, 27),   # 9
    (6, 25),   # 10
    (6, 22),   # 11
    (6, 19),   # 12
    (6, 16),   # 13 left
    (6, 14),   # 14
    (6, 11),   # 15
    (6, 8),    # 16
    (7, 5),    # 17 upper left
    (9, 4),    # 18
    (11, 3),   # 19
    (14, 3),   # 20 above the tip
    (17, 3),   # 21
    (20, 3),   # 22
    (23, 3),   # 23
    (25, 4),   # 24
]


def arrow_pixels():
    """(x, y) -> key for every opaque arrow pixel, placed at the hot spot."""
    pix = {}
    for r, row in enumerate(ARROW):
        for c, ch in enumerate(row):
            if ch != ".":
                pix[(HOT_X + c, HOT_Y + r)] = ch
    return pix


def star_pixels(cx, cy):
    half_w = len(STAR[0]) // 2
    half_h = len(STAR) // 2
    pix = {}
    for r, row in enumerate(STAR):
        for c, ch in enumerate(row):
            if ch != ".":
                pix[(cx - half_w + c, cy - half_h + r)] = ch
    return pix


def fits(cx, cy, arrow):
    """True when the star lies inside the image and keeps at least one
    clear pixel (in all eight directions) away from the arrow."""
    for (x, y) in star_pixels(cx, cy):
        if not (0 <= x < SIZE and 0 <= y < SIZE):
            return False
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) in arrow:
                    return False
    return True


def positions_ok(arrow):
    """Every listed centre must keep the star inside and clear of the arrow,
    and the path must go round clockwise (angles about the arrow's body
    increase from step to step)."""
    mid_x, mid_y = 18.0, 17.0  # middle of the arrow's body
    last = None
    turned = 0.0
    for step, (cx, cy) in enumerate(POSITIONS, 1):
        if not fits(cx, cy, arrow):
            raise SystemExit("star at step %d does not fit" % step)
        # screen angle measured clockwise from straight up
        ang = math.degrees(math.atan2(cx - mid_x, mid_y - cy)) % 360.0
        if last is not None:
            d = (ang - last) % 360.0
            if not 0.0 < d < 180.0:
                raise SystemExit("step %d does not move clockwise" % step)
            turned += d
        last = ang
    turned += (math.degrees(math.atan2(POSITIONS[0][0] - mid_x,
                                       mid_y - POSITIONS[0][1])) - last) % 360.0
    if abs(turned - 360.0) > 1e-6:
        raise SystemExit("the path does not go round exactly once")


def resource_for_step(step):
    k = (step + 1) // 2
    return 143 + k if step % 2 == 1 else 155 + k


def frame(step, arrow):
    cx, cy = POSITIONS[step - 1]
    pix = dict(arrow)
    pix.update(star_pixels(cx, cy))
    return (cx, cy), pix


def xpm_text(name, pix):
    used = sorted(set(pix.values()))
    lines = ["/* XPM */",
             "static const char *%s[] = {" % name,
             '"%d %d %d 1 %d %d",' % (SIZE, SIZE, len(used) + 1, HOT_X, HOT_Y),
             '"  c None",']
    for key in used:
        lines.append('"%s c %s",' % (key, COLOURS[key]))
    rows = []
    for y in range(SIZE):
        rows.append('"' + "".join(pix.get((x, y), " ") for x in range(SIZE)) + '"')
    lines.append(",\n".join(rows))
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.join(here, os.pardir, os.pardir, "res", "art")
    os.makedirs(out_dir, exist_ok=True)
    arrow = arrow_pixels()
    if len(POSITIONS) != STEPS:
        raise SystemExit("need %d star positions" % STEPS)
    positions_ok(arrow)
    for step in range(1, STEPS + 1):
        (cx, cy), pix = frame(step, arrow)
        res = resource_for_step(step)
        name = "cursor%d" % res
        with open(os.path.join(out_dir, name + ".xpm"), "w") as f:
            f.write(xpm_text(name, pix))
        print("step %2d  %s  star centre (%2d, %2d)" % (step, name, cx, cy))


if __name__ == "__main__":
    main()
