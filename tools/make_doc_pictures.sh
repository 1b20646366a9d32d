#!/usr/bin/env bash
# Draws the pictures README shows, with lumivane-snapshot: the window in its main looks.
# Run after a build:  tools/make_doc_pictures.sh [build/bin/lumivane-snapshot]
# The pictures go to docs/pictures/; the date and time are fixed, so they change only when
# what the program draws changes.
set -euo pipefail
cd "$(dirname "$0")/.."
snapshot="${1:-build/bin/lumivane-snapshot}"
out=docs/pictures
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The settings file and the own sky files of whoever runs this stay out of the pictures.
export XDG_CONFIG_HOME="$work/config"
export XDG_DATA_HOME="$work/data"

# A desktop to show through the window: a soft evening wallpaper.
python3 - "$work/desktop.png" <<'PY'
import sys
sys.path.insert(0, "tools/art")
from make_about_art import write_png
w, h = 1024, 768
rows = []
for y in range(h):
    t = y / (h - 1)
    row = []
    for x in range(w):
        s = x / (w - 1)
        row.append((int(40 + 120 * t + 30 * s), int(60 + 80 * t), int(120 + 60 * (1 - t))))
    rows.append(row)
write_png(sys.argv[1], rows)
PY

common=(--date 2026-08-10 --time 21:07 --set FrameSizeNo=4)
"$snapshot" "${common[@]}" --set CircleEdgeFlg=0 --set EdgeKind=1 "$out/square-log.png"
"$snapshot" "${common[@]}" --set CircleEdgeFlg=1 --set EdgeKind=2 --set ClockColor=2 "$out/round-aluminium.png"
"$snapshot" "${common[@]}" --set CircleEdgeFlg=0 --set EdgeKind=2 --set EdgeClossFlg=2 --set BkMode=2 \
  --desktop "$work/desktop.png" "$out/square-aluminium-desktop.png"
"$snapshot" "${common[@]}" --set CircleEdgeFlg=1 --set EdgeKind=1 --set BkMode=2 \
  --desktop "$work/desktop.png" "$out/round-log-desktop.png"
"$snapshot" --date 2026-08-10 --time 21:07 --set FrameSizeNo=6 --set EdgeFlg=0 --pointer 173,160 \
  --balloon "$out/balloon.png" "$out/window-with-balloon.png"
"$snapshot" --about "$out/about.png"
"$snapshot" --about --round "$out/about-round.png"
ls "$out"
