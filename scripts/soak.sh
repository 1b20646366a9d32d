#!/usr/bin/env bash
# Soaks the real program, built with AddressSanitizer and UndefinedBehaviorSanitizer, on a
# desktop of its own (Xvfb, openbox, trayer, a PulseAudio server playing into a null sink)
# for SECONDS (default 600): random pointer moves, clicks, double-clicks, drags, the menu and
# the windows its commands open, keys; the settings file rewritten with random, out-of-range
# and garbage values between runs, and the program started anew every couple of minutes.
#
#   scripts/soak.sh [SECONDS]
#
# It fails (status 1, naming the folder of logs it keeps) on any sanitizer report, on a
# program that ends by itself or with a status other than 0 when asked to end, on one that
# does not end when asked, and on resident memory that grows by more than
# LUMIVANE_SOAK_GROWTH_KB (default 8192) between a minute after a start and the end of that
# run. Not part of the test suite: it takes too long.
#
# Memory the program takes for good the first time it uses something (a font's glyphs, the
# help viewer, the about box's sound, the pictures of the largest window, the recordings of
# a look) is not growth: each run therefore starts with a warm-up that uses every menu
# command once and takes the window through every size, and growth is counted from half a
# minute after that.
#
# Environment: LUMIVANE_SOAK_BUILD, the build folder (default build-soak, or build-soak-plain
# with LUMIVANE_SOAK_PLAIN=1); LUMIVANE_SOAK_RUN, the seconds of one run of the program
# (default 120, at least 90); LUMIVANE_SOAK_DISPLAY, the first X display number to try
# (default 70); LUMIVANE_SOAK_SEED, the random seed. LUMIVANE_SOAK_PLAIN=1 soaks the
# ordinary build instead, without sanitizers, to tell the program's own memory from the
# sanitizers' bookkeeping.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

seconds=${1:-600}
plain=${LUMIVANE_SOAK_PLAIN:-0}
if [ "$plain" = 1 ]; then
  build=${LUMIVANE_SOAK_BUILD:-build-soak-plain}
else
  build=${LUMIVANE_SOAK_BUILD:-build-soak}
fi
run_length=${LUMIVANE_SOAK_RUN:-120}
growth_limit_kb=${LUMIVANE_SOAK_GROWTH_KB:-8192}
first_display=${LUMIVANE_SOAK_DISPLAY:-70}
seed=${LUMIVANE_SOAK_SEED:-$$}
RANDOM=$seed
# RSS is compared with its value this long after each run's warm-up.
settled_after=30
# Freed memory waits in AddressSanitizer's quarantine before it is used again, and the
# default quarantine of 256 MB takes minutes to fill: a smaller one lets the resident size
# settle within the first minute, so that growth after it is memory the program keeps.
quarantine_mb=32
if [ "$run_length" -lt 90 ]; then
  echo "soak: LUMIVANE_SOAK_RUN must be at least 90 seconds" >&2
  exit 2
fi

./scripts/setup.sh
if [ "$plain" = 1 ]; then
  echo "== Build without sanitizers, Qt on, in $build"
  LUMIVANE_TARGET="Lumivane program_data" ./scripts/build.sh "$build" -DLUMIVANE_WITH_QT=ON
else
  echo "== Build with AddressSanitizer and UndefinedBehaviorSanitizer, Qt on, in $build"
  LUMIVANE_TARGET="Lumivane program_data" ./scripts/build.sh "$build" \
    -DLUMIVANE_SANITIZE=ON -DLUMIVANE_WITH_QT=ON -DLUMIVANE_BENCHMARKS=OFF
fi
case $build in
  /*) program="$build/bin/Lumivane" ;;
  *) program="$root/$build/bin/Lumivane" ;;
esac

work=$(mktemp -d /tmp/lumivane-soak-XXXXXX)
config="$work/config"
settings="$config/Orvant/Lumivane.ini"
mkdir -p "$config/Orvant" "$work/bin" "$work/runtime" "$work/pulse/runtime"
chmod 700 "$work/runtime" "$work/pulse/runtime"
# Leaks that are not the program's: Qt's D-Bus thread ends with the process and leaves the
# read buffer of libdbus behind.
printf 'leak:libdbus-1.so\n' >"$work/leaks-not-ours.supp"
# The web pages go to the desktop's opener: a stand-in that writes down what it was given.
printf '#!/bin/sh\necho "$@" >> %s/opened.txt\n' "$work" >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"

xvfb=0 openbox=0 trayer=0 pulse=0 pid=0
failures=()
fail() {
  failures+=("$1")
  echo "soak: FAILED: $1" >&2
}
stop_process() {
  local p=$1
  [ "$p" -gt 0 ] || return 0
  kill -TERM "$p" 2>/dev/null || return 0
  for _ in $(seq 30); do
    kill -0 "$p" 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL "$p" 2>/dev/null || true
  wait "$p" 2>/dev/null || true
}
cleanup() {
  stop_process "$pid"
  stop_process "$trayer"
  stop_process "$openbox"
  stop_process "$pulse"
  stop_process "$xvfb"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---- The desktop ----
# The first display number from $first_display on that no server holds.
display=""
for n in $(seq "$first_display" $((first_display + 40))); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -noreset 2>"$work/Xvfb.log" &
  xvfb=$!
  for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X$n" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$xvfb" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
    display=":$n"
    break
  fi
  wait "$xvfb" 2>/dev/null || true
  xvfb=0
done
[ -n "$display" ] || { echo "soak: no free X display from :$first_display on" >&2; exit 1; }
export DISPLAY=$display
openbox 2>"$work/openbox.log" &
openbox=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" && break
  sleep 0.1
done
trayer --edge bottom --align right --widthtype pixel --width 120 --heighttype pixel --height 24 \
  --transparent false 2>"$work/trayer.log" &
trayer=$!
HOME="$work/pulse" XDG_RUNTIME_DIR="$work/pulse/runtime" XDG_CONFIG_HOME="$work/pulse" \
  pulseaudio --daemonize=no --exit-idle-time=-1 -n --use-pid-file=no --realtime=no --high-priority=no \
  --log-target=stderr --load="module-null-sink sink_name=soak" \
  --load="module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/native" 2>"$work/pulse.log" &
pulse=$!
sleep 1
for p in "$openbox" "$trayer"; do
  kill -0 "$p" 2>/dev/null || { echo "soak: the desktop did not start; see $work" >&2; exit 1; }
done
echo "== Soaking for $seconds s on $display (seed $seed, logs in $work)"

# ---- Settings between runs ----
mapfile -t setting_names < <(sed -n 's/.*constexpr Entry k[A-Za-z]*{"\([A-Za-z]*\)".*/\1/p' document/settings.h)
random_value() {
  case $((RANDOM % 20)) in
    0 | 1 | 2 | 3 | 4 | 5 | 6 | 7) echo $((RANDOM % 7)) ;;
    8 | 9 | 10) echo $((RANDOM % 15 - 2)) ;;
    11) echo $((RANDOM % 6000 - 3000)) ;;
    12) echo 2147483647 ;;
    13) echo -2147483648 ;;
    14) echo 99999999999 ;;
    15) echo "" ;;
    16) echo "0x10" ;;
    17) echo "  5 junk" ;;
    18) echo "-" ;;
    19) echo "１" ;;
  esac
}
write_random_settings() {
  {
    [ $((RANDOM % 4)) -eq 0 ] && echo "; a comment"
    echo "[Config]"
    for name in "${setting_names[@]}"; do
      # Now and then a value is missing altogether, or its name in another case.
      case $((RANDOM % 12)) in
        0) ;;
        1) echo "$(echo "$name" | tr '[:lower:]' '[:upper:]')=$(random_value)" ;;
        *) echo "$name=$(random_value)" ;;
      esac
    done
    [ $((RANDOM % 5)) -eq 0 ] && printf 'NoEqualsSign\n=7\n[Config\n'
    [ $((RANDOM % 5)) -eq 0 ] && printf '[Other]\nFrameSizeNo=6\n'
    true
  } >"$settings"
}

# ---- The program and its window ----
run=0 runs_ended=0 inputs=0
declare -A driven=()
rss_samples=0 rss_peak=0 rss_first=0 rss_last=0
run_log=""
window=""
wx=0 wy=0 ww=0 wh=0

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0; }

start_program() {
  run=$((run + 1))
  run_log="$work/program-$run.log"
  write_random_settings
  cp "$settings" "$work/settings-$run.ini"
  env ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:quarantine_size_mb=$quarantine_mb UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS="suppressions=$work/leaks-not-ours.supp" \
    XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$work/runtime" PATH="$work/bin:$PATH" \
    PULSE_SERVER="unix:$work/pulse/native" "$program" >/dev/null 2>"$run_log" &
  pid=$!
  run_started=$SECONDS
  window=""
  for _ in $(seq 150); do
    window=$(xdotool search --all --onlyvisible --pid "$pid" --classname '^Lumivane$' 2>/dev/null | while read -r w; do
      eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
      [ "${WIDTH:-0}" -ge 100 ] && [ "$WIDTH" -eq "$HEIGHT" ] && xprop -id "$w" WM_STATE 2>/dev/null |
        grep -q "window state" && echo "$w" && break
    done) || true
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
  done
  if [ -z "$window" ]; then
    fail "run $run: no window within 30 s (settings $work/settings-$run.ini, log $run_log)"
    return 1
  fi
  run_baseline=0 run_end_rss=0 run_peak=0 warmed_at=0
  next_sample=$SECONDS
  echo "   run $run: program $pid, window $window"
}

# Where the window is now: wx wy ww wh.
locate_window() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" 2>/dev/null)" || return 1
  wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT
}

sample_rss() {
  local kb
  kb=$(rss_kb)
  [ "$kb" -gt 0 ] || return 0
  rss_samples=$((rss_samples + 1))
  [ "$rss_first" -gt 0 ] || rss_first=$kb
  rss_last=$kb
  [ "$kb" -gt "$rss_peak" ] && rss_peak=$kb
  [ "$kb" -gt "$run_peak" ] && run_peak=$kb
  if [ "$run_baseline" -eq 0 ] && [ "$warmed_at" -gt 0 ] && [ $((SECONDS - warmed_at)) -ge "$settled_after" ]; then
    run_baseline=$kb
  fi
  run_end_rss=$kb
  echo "$((SECONDS)) $run $kb" >>"$work/rss.txt"
}

check_log() {
  if grep -qE "ERROR: AddressSanitizer|runtime error:|LeakSanitizer" "$run_log"; then
    fail "run $run: sanitizer report in $run_log"
  fi
}

# Ends the run the way a user does (the menu's exit, or a termination signal) and checks
# how it ended.
end_program() {
  local how status=0
  if [ $((run % 2)) -eq 0 ]; then
    how="menu exit"
    settle
    # shellcheck disable=SC2046
    if locate_window; then input mousemove $(on_screen $((wx + ww / 2)) $((wy + wh / 2))) click 3 sleep 0.8 key x; fi
  else
    how="SIGTERM"
    kill -TERM "$pid" 2>/dev/null || true
  fi
  for _ in $(seq 150); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    if [ "$how" = "menu exit" ]; then
      how="SIGTERM after the menu's exit did not end it"
      kill -TERM "$pid" 2>/dev/null || true
      sleep 5
    fi
  fi
  if kill -0 "$pid" 2>/dev/null; then
    fail "run $run: still running 15 s after $how (log $run_log)"
    kill -KILL "$pid" 2>/dev/null || true
  fi
  wait "$pid" || status=$?
  pid=0
  [ "$status" -eq 0 ] || fail "run $run: ended with status $status after $how (log $run_log)"
  check_log
  local growth=$((run_end_rss - run_baseline))
  echo "   run $run ended by $how with status $status after $((SECONDS - run_started)) s; RSS after the warm-up" \
    "${run_baseline} kB, at the end ${run_end_rss} kB, peak ${run_peak} kB"
  if [ "$run_baseline" -gt 0 ] && [ "$growth" -gt "$growth_limit_kb" ]; then
    fail "run $run: resident memory grew by $growth kB after the warm-up (see $work/rss.txt)"
  fi
  runs_ended=$((runs_ended + 1))
}

# The program died by itself: how, and what it said.
check_alive() {
  kill -0 "$pid" 2>/dev/null && return 0
  local status=0
  wait "$pid" || status=$?
  pid=0
  fail "run $run: the program ended by itself with status $status (log $run_log)"
  check_log
  return 1
}

# ---- Input ----
# One xdotool command, counted; a window gone meanwhile is no failure of the program's, and
# no command may hang the soak.
input() {
  inputs=$((inputs + 1))
  timeout 20 xdotool "$@" 2>/dev/null || true
}

# A point on the screen (a window may stand partly off it), as xdotool's arguments.
on_screen() {
  local px=$1 py=$2
  [ "$px" -lt 0 ] && px=0
  [ "$px" -gt 1023 ] && px=1023
  [ "$py" -lt 0 ] && py=0
  [ "$py" -gt 767 ] && py=767
  echo "$px $py"
}
point_in_window() { on_screen $((wx + RANDOM % ww)) $((wy + RANDOM % wh)); }
point_anywhere() { echo $((RANDOM % 1024)) $((RANDOM % 768)); }

# The program's other windows, by title.
titled() { xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -1; }

# Gives a window the keyboard; fails if it does not get it, so that keys meant for a dialog
# (alt+F4 above all) never reach the main window instead.
activate() {
  inputs=$((inputs + 1))
  timeout 5 xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
  [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}

settings_dialog() {
  local w
  w=$(titled 'ﾀﾞｲｱﾛｸﾞ') || true
  [ -n "$w" ] || return 0
  driven[settings dialog]=$((${driven[settings dialog]:-0} + 1))
  activate "$w" || return 0
  local keys=(Tab Tab shift+Tab Right Left Up Down space space ctrl+Tab ctrl+shift+Tab Home End)
  for _ in $(seq $((RANDOM % 12 + 1))); do
    input key "${keys[RANDOM % ${#keys[@]}]}"
    sleep 0.05
  done
  case $((RANDOM % 3)) in
    0 | 1) input key Return ;;
    2) input key Escape ;;
  esac
  sleep 0.5
}

about_box() {
  local w
  w=$(titled 'ﾊﾞｰｼﾞｮﾝ情報') || true
  [ -n "$w" ] || return 0
  driven[about box]=$((${driven[about box]:-0} + 1))
  sleep 0.$((RANDOM % 9 + 1))
  activate "$w" && input key Return
  sleep 0.3
}

help_viewer() {
  local w
  w=$(titled '\.(HLP|hlp)$') || true
  [ -n "$w" ] || return 0
  driven[help viewer]=$((${driven[help viewer]:-0} + 1))
  local X Y WIDTH HEIGHT
  if eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"; then
    for _ in $(seq $((RANDOM % 4))); do
      input mousemove $((X + RANDOM % WIDTH)) $((Y + RANDOM % HEIGHT)) click 1
      sleep 0.2
    done
  fi
  activate "$w" && input key alt+F4
  sleep 0.3
}

# Deals with whatever the last input opened: the settings dialog, the about box, a help viewer.
settle() {
  for _ in 1 2 3; do
    settings_dialog
    about_box
    help_viewer
  done
}

# One random gesture.
drive() {
  locate_window || return 0
  local kind=$((RANDOM % 100))
  if [ $kind -lt 25 ]; then
    driven[pointer move]=$((${driven[pointer move]:-0} + 1))
    for _ in $(seq $((RANDOM % 5 + 1))); do
      if [ $((RANDOM % 3)) -eq 0 ]; then
        # shellcheck disable=SC2046
        input mousemove $(point_anywhere)
      else
        # shellcheck disable=SC2046
        input mousemove $(point_in_window)
      fi
      sleep 0.$((RANDOM % 6))
    done
  elif [ $kind -lt 35 ]; then
    driven[click]=$((${driven[click]:-0} + 1))
    # shellcheck disable=SC2046
    input mousemove $(point_in_window) click 1
  elif [ $kind -lt 45 ]; then
    driven[double-click]=$((${driven[double-click]:-0} + 1))
    # Upper half one size larger, lower half one smaller.
    # shellcheck disable=SC2046
    input mousemove $(point_in_window) click --repeat 2 --delay 60 1
    sleep 0.4
  elif [ $kind -lt 55 ]; then
    driven[drag]=$((${driven[drag]:-0} + 1))
    local tx=$((RANDOM % 900)) ty=$((RANDOM % 650))
    # shellcheck disable=SC2046
    input mousemove $(point_in_window) mousedown 1 sleep 0.1 mousemove $(on_screen $(((wx + tx) / 2)) $(((wy + ty) / 2))) \
      sleep 0.1 mousemove "$tx" "$ty" sleep 0.1 mouseup 1
  elif [ $kind -lt 85 ]; then
    driven[menu]=$((${driven[menu]:-0} + 1))
    local open
    case $((RANDOM % 4)) in
      0) open=(key shift+F10) ;;
      1) open=(key Menu) ;;
      *) open=(click 3) ;;
    esac
    # settings, about, help, the other help, the two web pages, take the desktop anew, or nothing
    local commands=(c c c a a h "question" w g "Down Return" Escape)
    local choice=${commands[RANDOM % ${#commands[@]}]}
    driven[menu $choice]=$((${driven[menu $choice]:-0} + 1))
    # shellcheck disable=SC2046,SC2086
    input mousemove $(point_in_window) "${open[@]}" sleep 0.6 key $choice
    sleep 0.6
  elif [ $kind -lt 92 ]; then
    driven[tray]=$((${driven[tray]:-0} + 1))
    # The tray host's strip at the bottom right: the left button brings the window forward,
    # the right one opens the menu.
    if [ $((RANDOM % 2)) -eq 0 ]; then
      input mousemove $((1024 - 120 + RANDOM % 120)) $((768 - 24 + RANDOM % 24)) click 1
    else
      input mousemove $((1024 - 120 + RANDOM % 120)) $((768 - 24 + RANDOM % 24)) click 3 sleep 0.6 key Escape
    fi
  else
    driven[key]=$((${driven[key]:-0} + 1))
    local keys=(Escape Escape Return ctrl+n Tab space F1)
    # shellcheck disable=SC2046
    input mousemove $(point_in_window) key "${keys[RANDOM % ${#keys[@]}]}"
  fi
  settle
}

# Every menu command once, and the window through every size and back.
warm_up() {
  local choice
  for choice in c a h question w g "Down Return"; do
    locate_window || return 0
    # shellcheck disable=SC2046,SC2086
    input mousemove $(on_screen $((wx + ww / 2)) $((wy + wh / 2))) click 3 sleep 0.6 key $choice
    sleep 0.6
    settle
  done
  local half
  for half in upper lower; do
    for _ in 1 2 3 4 5 6; do
      locate_window || return 0
      if [ $half = upper ]; then
        # shellcheck disable=SC2046
        input mousemove $(on_screen $((wx + ww / 2)) $((wy + wh / 4))) click --repeat 2 --delay 60 1
      else
        # shellcheck disable=SC2046
        input mousemove $(on_screen $((wx + ww / 2)) $((wy + 3 * wh / 4))) click --repeat 2 --delay 60 1
      fi
      sleep 0.4
    done
  done
  warmed_at=$SECONDS
}

# ---- The soak ----
soak_started=$SECONDS
end_at=$((SECONDS + seconds))
while [ $SECONDS -lt "$end_at" ]; do
  start_program || break
  run_end=$((run_started + run_length))
  warm_up
  # The last run takes what is left rather than leave a run too short to be measured.
  [ $((end_at - run_end)) -lt 90 ] && run_end=$end_at
  alive=1
  while [ $SECONDS -lt "$run_end" ]; do
    if [ $SECONDS -ge "$next_sample" ]; then
      sample_rss
      next_sample=$((SECONDS + 3))
    fi
    check_alive || { alive=0; break; }
    drive
  done
  # A failure is noted and the soak goes on with the next run, so that one soak shows all.
  if [ "$alive" -eq 1 ]; then
    sample_rss
    end_program
  fi
done

echo "== Soak over after $((SECONDS - soak_started)) s: $run runs, $runs_ended ended when asked, $inputs xdotool inputs"
for k in "${!driven[@]}"; do echo "   ${driven[$k]} x $k"; done | sort -k3
echo "   RSS: $rss_samples samples, first $rss_first kB, last $rss_last kB, peak $rss_peak kB"
[ -s "$work/opened.txt" ] && echo "   the desktop's opener was given $(wc -l <"$work/opened.txt") pages"
if [ ${#failures[@]} -gt 0 ]; then
  printf 'soak: %s\n' "${failures[@]}" >&2
  echo "soak: FAILED; logs kept in $work" >&2
  exit 1
fi
rm -rf "$work"
echo "== Soak passed: no sanitizer report, no crash, no growth"
