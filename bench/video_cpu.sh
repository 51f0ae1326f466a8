#!/usr/bin/env bash
# The program's CPU share while a 1080p30 H.264 wallpaper plays, under Wine on
# the simulated desktop: at fps 30, at fps 10, and paused. Wine decodes in
# software (GStreamer), so only the ratios between the three carry over to
# Windows, where the engine decodes on the GPU.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$(realpath "${1:-$here/../build/win}")
build=${LH_BUILD:-$here/../build}
seconds=${LH_BENCH_SECONDS:-20}
work=$(realpath -m "$build/bench-video")
mkdir -p "$work"
video=$work/testsrc-1080p30.mp4
# Longer than warm-up plus measurement: Wine's engine does not loop, it stops
# at the end.
if [ ! -f "$video" ]; then
  ffmpeg -v error -y -nostdin -f lavfi -i "testsrc2=size=1920x1080:rate=30" -t $((seconds + 20)) \
    -c:v libx264 -preset veryfast -pix_fmt yuv420p "$work/tmp.mp4"
  mv "$work/tmp.mp4" "$video"
fi

"$here/../scripts/winerun.sh" --prefix "$build/wineprefix-bench" --timeout 600 -- bash -c '
  set -euo pipefail
  win=$1 video=$2 seconds=$3
  data=$LH_WINE_APPDATA/Lumenhollow
  ticks=$(getconf CLK_TCK)
  cpu_ticks() { awk "{ print \$14 + \$15 }" "/proc/$1/stat"; }
  wine "$win/shellsim.exe" &
  shell=$!
  sleep 2
  measure() {  # fps, pause (0 or 1); prints the share of one core in percent
    rm -rf "$data"; mkdir -p "$data"
    # The GDI name moves to the stable key of the monitor on the first start.
    local key="\\\\.\\DISPLAY1" path="Z:${video//\//\\}"
    printf "fps=%s\r\npauseCovered=0\r\npauseFullscreen=0\r\npauseBattery=0\r\nscreen:%s=%s\r\n" "$1" "$key" "$path" \
      > "$data/lumenhollow.ini"
    wine "$win/lumenhollow.exe" --tray &
    local app=$!
    wine "$win/lhctl.exe" wait 20 >/dev/null
    # Our own program only: other checkouts may run theirs at the same time.
    local pid; pid=$(pgrep -n -f "^$win/lumenhollow.exe --tray")
    [ "$2" = 1 ] && wine "$win/lhctl.exe" pause >/dev/null
    sleep 6  # the engine opens the file and settles
    local a b; a=$(cpu_ticks "$pid")
    sleep "$seconds"
    b=$(cpu_ticks "$pid")
    wine "$win/lhctl.exe" exit 10 >/dev/null || kill "$pid" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    grep -q "could not load\|video failed" "$data/log.txt" 2>/dev/null && { echo "bench: the wallpaper did not play" >&2; cat "$data/log.txt" >&2; }
    awk -v a="$a" -v b="$b" -v t="$ticks" -v s="$seconds" "BEGIN { printf \"%.1f\", (b - a) / t / s * 100 }"
  }
  at30=$(measure 30 0)
  at10=$(measure 10 0)
  paused=$(measure 30 1)
  kill "$shell" 2>/dev/null || true
  printf "video wallpaper, 1920x1080 H.264 at 30 frames a second, %s s each (CPU share of one core, Wine software decoding)\n" "$seconds"
  printf "  fps 30           %6s %%\n" "$at30"
  printf "  fps 10           %6s %%\n" "$at10"
  printf "  paused           %6s %%\n" "$paused"
  awk -v a="$at30" -v b="$at10" -v c="$paused" "BEGIN {
    printf \"  fps 10 / fps 30  %6.2f\n\", (a > 0 ? b / a : 0)
    printf \"  paused / fps 30  %6.2f\n\", (a > 0 ? c / a : 0) }"
' bench "$win" "$video" "$seconds"
