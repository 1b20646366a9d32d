#!/usr/bin/env bash
# What the program costs while it sits on the desktop: CPU time of the program and of the X
# server over a stretch of seconds, with the pointer away from the window and then resting
# on it (where the star pointer animates), the program's wake-ups a second and its resident
# size. Runs the real program on an Xvfb server of its own with openbox, after start-up has
# settled.
#
# Shooting stars and satellites come at random (at the default levels, each has a one-in-ten
# chance every second), and each of their steps is a paint, so the figures over a short
# stretch depend on luck. The program is therefore measured twice: with both levels at 0
# (the timers alone: the 1 s sky timer and the frame's cursor animation) and with the
# default settings.
#   scripts/idle_cost.sh [program] [seconds]     (defaults: build/bin/Lumivane, 20)
set -euo pipefail
cd "$(dirname "$0")/.."
program="$(realpath "${1:-build/bin/Lumivane}")"
seconds="${2:-20}"
work="$(mktemp -d /tmp/lumivane-idle-XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 4 -noreset -screen 0 1024x768x24 -nolisten tcp 4> "$work/display" 2> "$work/xvfb.log" &
xvfb=$!
pids+=("$xvfb")
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/display")"
openbox > /dev/null 2>&1 &
pids+=("$!")
sleep 1
ticks="$(getconf CLK_TCK)"
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/status"; }
rss_kb() { awk '/^VmRSS/ {print $2}' "/proc/$1/status"; }

measure() {  # what, program's pid
  local what="$1" program_pid="$2"
  sleep 3  # settle after the pointer moved
  local p0 x0 s0 p1 x1 s1
  p0="$(cpu_ticks "$program_pid")"; x0="$(cpu_ticks "$xvfb")"; s0="$(switches "$program_pid")"
  sleep "$seconds"
  p1="$(cpu_ticks "$program_pid")"; x1="$(cpu_ticks "$xvfb")"; s1="$(switches "$program_pid")"
  awk -v what="$what" -v p=$((p1 - p0)) -v x=$((x1 - x0)) -v s=$((s1 - s0)) -v t="$ticks" -v sec="$seconds" \
      -v rss="$(rss_kb "$program_pid")" 'BEGIN {
    printf "%-42s program %5.2f%%  X server %5.2f%%  wake-ups %6.1f/s  resident %5.1f MB\n",
           what, 100 * p / t / sec, 100 * x / t / sec, s / sec, rss / 1024 }'
}

measure_sky() {  # label, then the settings file's [Config] lines
  local label="$1"
  shift
  local config="$work/$label"
  mkdir -p "$config/Orvant"
  if [ "$#" -gt 0 ]; then printf '[Config]\n' > "$config/Orvant/Lumivane.ini"; printf '%s\n' "$@" >> "$config/Orvant/Lumivane.ini"; fi
  XDG_CONFIG_HOME="$config" "$program" 2> "$work/program-$label.log" &
  local lumivane=$!
  pids+=("$lumivane")
  local window=""
  for _ in $(seq 100); do
    window="$(xdotool search --pid "$lumivane" --classname Lumivane 2>/dev/null | while read -r w; do
      g="$(xdotool getwindowgeometry "$w" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')"
      [ "${g:-0}" -ge 100 ] && echo "$w" && break; done || true)"
    [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no program window"; cat "$work/program-$label.log"; exit 1; }
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$window")"
  sleep 10  # start-up settles
  xdotool mousemove 5 5
  measure "$label sky, pointer away from the window" "$lumivane"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  measure "$label sky, pointer on the window" "$lumivane"
  kill "$lumivane"
  wait "$lumivane" 2>/dev/null || true
}

measure_sky quiet ShootingStarLevel=0 SateltLevel=0
measure_sky default
