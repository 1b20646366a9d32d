#!/bin/sh
# Remakes the compatibility fixtures: a small night-sky picture of exactly 256 colours (so
# the bitmap writer stores a full colour table) and its 8-bit BMP forms, plain and RLE8,
# written by ImageMagick.
set -eu
cd "$(dirname "$0")"
python3 - <<'PY'
import random, struct, zlib
width, height = 61, 23
rng = random.Random(20260101)
pixels = [[(0, 0, 0)] * width for _ in range(height)]
# 255 stars of distinct colours: some alone, some in short clusters, on a black sky.
colours = [(r, g, b) for r in range(40, 256, 24) for g in range(60, 256, 28) for b in range(80, 256, 40)]
rng.shuffle(colours)
colours = colours[:255]
x, y = 0, 0
for c in colours:
    x += rng.choice([1, 1, 2, 3, 5])
    if x >= width:
        x -= width
        y = (y + rng.choice([1, 2])) % height
    pixels[y][x] = c
raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)
def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
open("stars.png", "wb").write(png)
PY
convert stars.png -type Palette -colors 256 -compress None BMP3:stars_plain.bmp
convert stars.png -type Palette -colors 256 -compress RLE BMP3:stars_rle8.bmp
