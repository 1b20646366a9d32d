#!/usr/bin/env python3
"""Check the XPM pictures under res/art/ the way the program will read them.

Every file must be a single C array named after the file, one character
per pixel, colours given as "K c #RRGGBB" or "K c None", every row exactly
as wide as the header says and every character declared.  On top of that:
the *_32 / *_16 icons and the cursors may only use the sixteen VGA colours;
the pointer's cursors (144 to 167) are 32x32 with the hot spot (13, 8) on
the arrow's black tip, and their star never touches the arrow; the about
box's (132 to 141) are 32x32 with the hot spot inside.  The shooting stars come in
picture/mask pairs, all twelve present, 48x48 with no transparency; a mask
is only white and black, black exactly where its picture is not black, and
row 47 and column 47 (unused by the program) are black in the pictures and
white in the masks.

    python3 tools/art/check_xpm.py [art-dir]

Prints one line per file and exits non-zero if anything is wrong.
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import make_cursors  # noqa: E402  (the arrow art and hot spot live there)
import make_shooting_stars  # noqa: E402  (the picture/mask pairs)

VGA = {"#000000", "#800000", "#008000", "#808000", "#000080", "#800080",
       "#008080", "#C0C0C0", "#808080", "#FF0000", "#00FF00", "#FFFF00",
       "#0000FF", "#FF00FF", "#00FFFF", "#FFFFFF"}


def parse(path):
    """Return (name, header numbers, {key: colour}, rows) or raise."""
    text = open(path).read()
    lines = text.splitlines()
    if lines[0] != "/* XPM */":
        raise ValueError("first line is not /* XPM */")
    m = re.match(r"static const char \*([A-Za-z_][A-Za-z0-9_]*)\[\] = \{$",
                 lines[1])
    if not m:
        raise ValueError("second line is not the array declaration")
    name = m.group(1)
    if lines[-1] != "};":
        raise ValueError("last line is not };")
    body = "\n".join(lines[2:-1])
    if "/*" in body or "//" in body:
        raise ValueError("comment inside the array")
    strings = re.findall(r'"([^"\\]*)"', body)
    # nothing but the strings, commas and newlines
    if re.sub(r'"[^"\\]*"', "", body).replace(",", "").strip():
        raise ValueError("stray text between the strings")
    values = [int(v) for v in strings[0].split()]
    if len(values) not in (4, 6):
        raise ValueError("values line should have 4 or 6 numbers")
    w, h, ncolors, cpp = values[:4]
    if cpp != 1:
        raise ValueError("not one character per pixel")
    colours = {}
    for line in strings[1:1 + ncolors]:
        m = re.match(r"^(.) c (#[0-9A-F]{6}|None)$", line)
        if not m:
            raise ValueError("bad colour line %r" % line)
        if m.group(1) in colours:
            raise ValueError("key %r declared twice" % m.group(1))
        colours[m.group(1)] = m.group(2)
    rows = strings[1 + ncolors:]
    if len(rows) != h:
        raise ValueError("%d rows, header says %d" % (len(rows), h))
    for y, row in enumerate(rows):
        if len(row) != w:
            raise ValueError("row %d is %d wide, header says %d"
                             % (y, len(row), w))
        for ch in row:
            if ch not in colours:
                raise ValueError("row %d uses undeclared %r" % (y, ch))
    return name, values, colours, rows


def check_cursor(values, colours, rows):
    if values[:2] != [32, 32]:
        raise ValueError("cursor is not 32x32")
    if values[4:] != [make_cursors.HOT_X, make_cursors.HOT_Y]:
        raise ValueError("hot spot missing or not (13, 8)")
    if colours[rows[8][13]] != "#000000":
        raise ValueError("pixel (13, 8) is not the black arrow tip")
    arrow = make_cursors.arrow_pixels()
    want = {"K": "#000000", "W": "#FFFFFF"}
    for (x, y), k in arrow.items():
        if colours[rows[y][x]] != want[k]:
            raise ValueError("arrow pixel (%d, %d) is covered" % (x, y))
    star = [(x, y) for y in range(32) for x in range(32)
            if (x, y) not in arrow and colours[rows[y][x]] != "None"]
    if not star:
        raise ValueError("no star")
    for (x, y) in star:
        for dx in (-1, 0, 1):
            for dy in (-1, 0, 1):
                if (x + dx, y + dy) in arrow:
                    raise ValueError("star touches the arrow at (%d, %d)"
                                     % (x, y))
    xs = [x for x, _ in star]
    ys = [y for _, y in star]
    return (min(xs) + max(xs)) / 2.0, (min(ys) + max(ys)) / 2.0


SHOOTING_PICTURES = {pic: mask for pic, mask in make_shooting_stars.PAIRS}
SHOOTING_MASKS = {mask: pic for pic, mask in make_shooting_stars.PAIRS}


def check_shooting_star(art, base, values, colours, rows):
    """Check one shooting-star file together with its partner; returns a
    short description for the report line."""
    res = int(base[len("shootingstar"):])
    if res in SHOOTING_PICTURES:
        pic_res, mask_res = res, SHOOTING_PICTURES[res]
    elif res in SHOOTING_MASKS:
        pic_res, mask_res = SHOOTING_MASKS[res], res
    else:
        raise ValueError("%d is not a shooting-star resource number" % res)
    size = make_shooting_stars.SIZE
    used = make_shooting_stars.USED
    if values[:2] != [size, size] or len(values) != 4:
        raise ValueError("shooting star is not a plain %dx%d" % (size, size))
    if "None" in colours.values():
        raise ValueError("shooting star has a transparent colour")
    try:
        _, pv, pc, prow = parse(os.path.join(art, "shootingstar%d.xpm"
                                             % pic_res))
        _, mv, mc, mrow = parse(os.path.join(art, "shootingstar%d.xpm"
                                             % mask_res))
    except OSError as e:
        raise ValueError("partner missing: %s" % e)
    if pv[:2] != [size, size] or mv[:2] != [size, size]:
        raise ValueError("partner is not %dx%d" % (size, size))
    lit = 0
    for y in range(size):
        for x in range(size):
            p = pc[prow[y][x]]
            m = mc[mrow[y][x]]
            if m not in ("#000000", "#FFFFFF"):
                raise ValueError("mask pixel (%d, %d) is %s" % (x, y, m))
            if (m == "#000000") != (p != "#000000"):
                raise ValueError("mask and picture disagree at (%d, %d)"
                                 % (x, y))
            if (x == used or y == used) and p != "#000000":
                raise ValueError("pixel (%d, %d) outside the used %dx%d"
                                 % (x, y, used, used))
            lit += p != "#000000"
    if not lit:
        raise ValueError("picture is all black")
    kind = "picture" if res == pic_res else "mask"
    return " %s of pair (%d, %d), %d streak pixels" % (kind, pic_res,
                                                       mask_res, lit)


def main():
    art = sys.argv[1] if len(sys.argv) > 1 else \
        os.path.join(HERE, os.pardir, os.pardir, "res", "art")
    failed = 0
    seen = set()
    for fn in sorted(os.listdir(art)):
        if not fn.endswith(".xpm"):
            continue
        base = fn[:-4]
        number = base[len("shootingstar"):]
        if base.startswith("shootingstar") and number.isdigit():
            seen.add(int(number))
        try:
            name, values, colours, rows = parse(os.path.join(art, fn))
            if name != base:
                raise ValueError("array is called %s" % name)
            used = {colours[ch] for row in rows for ch in row} - {"None"}
            vga_only = base.startswith("cursor") or not base.endswith("hi")
            if vga_only and not used <= VGA:
                raise ValueError("colours outside the VGA sixteen: %s"
                                 % sorted(used - VGA))
            extra = ""
            pointer = base.startswith("cursor") and 144 <= int(base[len("cursor"):]) <= 167
            if pointer:
                cx, cy = check_cursor(values, colours, rows)
                extra = " hot spot (%d, %d), star centre (%g, %g)" % (
                    values[4], values[5], cx, cy)
            elif base.startswith("cursor"):
                # The about box's twinkling star: 32x32, its hot spot inside.
                if values[:2] != [32, 32] or len(values) < 6 or not (0 <= values[4] < 32 and 0 <= values[5] < 32):
                    raise ValueError("not a 32x32 cursor with its hot spot inside")
                extra = " hot spot (%d, %d)" % (values[4], values[5])
            elif base.startswith("shootingstar"):
                extra = check_shooting_star(art, base, values, colours, rows)
            print("ok   %-20s %dx%d, %d colours%s" % (
                fn, values[0], values[1], values[2], extra))
        except (ValueError, IndexError, KeyError) as e:
            failed += 1
            print("FAIL %-20s %s" % (fn, e))
    for pic, mask in make_shooting_stars.PAIRS:
        for res in (pic, mask):
            if res not in seen:
                failed += 1
                print("FAIL %-20s missing" % ("shootingstar%d.xpm" % res))
    if failed:
        sys.exit(1)


if __name__ == "__main__":
    main()
