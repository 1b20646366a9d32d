#!/usr/bin/env python3
"""Make the desktop's icons of Lumivane from its own pixel art.

The hicolor theme wants the icon at 16, 22, 24, 32, 48, 64, 128 and 256 pixels.
Each size is made from the 16- or 32-pixel picture of the program's icon by
whole-number nearest-neighbour enlargement (every pixel becomes a k x k block,
so nothing blurs); a size that is no whole multiple (22, 24) gets the largest
picture that fits, centred on a transparent square.  Two icons: the square
roof window (lumivane.png, icon 128) and the round one (lumivane-round.png,
icon 130, the tray's picture of a round window).

Run from anywhere:  python3 tools/art/make_hicolor_icons.py [output-dir]
The default output directory is the repository's desktop/icons/hicolor/.
Only the Python standard library is used; the output is the same every run.
"""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from check_xpm import parse  # noqa: E402
from make_about_art import write_png  # noqa: E402

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
ICONS = {"lumivane": "icon128", "lumivane-round": "icon130"}


def load(name):
    """The picture as rows of (r, g, b, a)."""
    _, values, colours, rows = parse(os.path.join(HERE, os.pardir, os.pardir, "res", "art", name + ".xpm"))
    out = []
    for row in rows:
        line = []
        for ch in row:
            c = colours[ch]
            if c == "None":
                line.append((0, 0, 0, 0))
            else:
                line.append((int(c[1:3], 16), int(c[3:5], 16), int(c[5:7], 16), 255))
        out.append(line)
    return out


def icon_at(size, small, large):
    """The sharpest whole-number enlargement of the 16- or 32-pixel picture
    that fits in `size`, centred on a transparent square."""
    best = None
    for picture in (large, small):
        k = size // len(picture)
        if k >= 1 and (best is None or k * len(picture) > best[0] * len(best[1])):
            best = (k, picture)
    k, picture = best
    side = k * len(picture)
    margin = (size - side) // 2
    rows = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, row in enumerate(picture):
        for x, p in enumerate(row):
            for dy in range(k):
                for dx in range(k):
                    rows[margin + y * k + dy][margin + x * k + dx] = p
    return rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, os.pardir, os.pardir, "desktop", "icons",
                                                              "hicolor")
    for icon, art in ICONS.items():
        small = load(art + "_16")
        large = load(art + "_32hi")
        for size in SIZES:
            folder = os.path.join(out, "%dx%d" % (size, size), "apps")
            os.makedirs(folder, exist_ok=True)
            path = os.path.join(folder, icon + ".png")
            write_png(path, icon_at(size, small, large))
            print(path)


if __name__ == "__main__":
    main()
