#!/usr/bin/env bash
# What the real lumenhollow.exe costs under Wine on the simulated desktop:
# CPU share and wake-ups while nothing should move, time to the first Present
# of a picture, and private memory with one 1080p picture. The program writes
# its trace lines only because LH_TRACE is set here. Prints each figure beside
# its target; Wine and llvmpipe run inside the measured process, so the
# figures are upper bounds for Windows.
#
#   bench/wine_figures.sh [build/win]    (LH_FIGURE_SECONDS shortens the 20 s windows)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$(realpath "${1:-$here/../build/win}")
build=${LH_BUILD:-$here/../build}
export LH_FIGURE_SECONDS=${LH_FIGURE_SECONDS:-20}
[ -f "$win/lumenhollow.exe" ] || { echo "figures: build $win first (make win)"; exit 1; }
work=$(realpath -m "$build/figures")
rm -rf "$work"
mkdir -p "$work"
ffmpeg -v error -f lavfi -i "gradients=s=1920x1080:seed=3,format=rgb24" -frames:v 1 "$work/picture.png"
ffmpeg -v error -f lavfi -i "testsrc=s=640x360:r=10:d=2" "$work/loop.gif"
ffmpeg -v error -f lavfi -i "testsrc2=s=1920x1080:r=30:d=4" -c:v libx264 -preset ultrafast -pix_fmt yuv420p "$work/video.mp4"

exec "$here/../scripts/winerun.sh" --prefix "$build/wineprefix-figures" --timeout 900 -- bash -c '
set -uo pipefail
win=$1 work=$2 seconds=$LH_FIGURE_SECONDS
data=$LH_WINE_APPDATA/Lumenhollow
log=$data/log.txt
mkdir -p "$data"
picture=$(winepath -w "$work/picture.png")
# The test runtime stands in for the web view: it loads no browser, so the
# figure after the library closed is the program'"'"'s own side of it.
runtime=$(find "$win/fakewebview" -path "*/EBWebView/x64/EmbeddedBrowserWebView.dll" 2>/dev/null | head -n1)
[ -n "$runtime" ] && export WEBVIEW2_BROWSER_EXECUTABLE_FOLDER=$(winepath -w "$(dirname "$(dirname "$(dirname "$runtime")")")")
gif=$(winepath -w "$work/loop.gif")
video=$(winepath -w "$work/video.mp4")

settings() {  # settings WALLPAPER GPU_EFFECTS: the one wallpaper spans the screen
  # No pause rule of the simulated desktop may stand in for "Pause all".
  printf "gpuEffects=%s\r\nmode=span\r\nspan=%s\r\nidle=0\r\npauseFullscreen=0\r\npauseCovered=0\r\npauseBattery=0\r\n" \
    "$2" "$1" > "$data/lumenhollow.ini"
}
start_app() {  # leaves $app (the Unix pid of the Windows process)
  : > "$log"
  LH_TRACE=1 wine "$win/lumenhollow.exe" --tray &
  app=$!
  wine "$win/lhctl.exe" wait 20 >/dev/null
}
stop_app() { wine "$win/lhctl.exe" exit 10 >/dev/null; wait $app 2>/dev/null; }
first_present() {  # "WALL CPU" in ms
  for _ in $(seq 600); do
    line=$(grep -a -o "first present [0-9]* ms after process start, [0-9]* ms CPU" "$log" 2>/dev/null | head -n1)
    [ -n "$line" ] && { echo "$line" | awk "{ print \$3, \$8 }"; return; }
    sleep 0.05
  done
  echo "none none"
}
cpu_ticks() { awk "{ print \$14 + \$15 }" "/proc/$app/stat"; }
# Voluntary switches are the threads going to sleep, so one per wake-up.
wakeups() { cat /proc/$app/task/*/status 2>/dev/null | awk "/^voluntary_ctxt_switches/ { n += \$2 } END { print n }"; }
ticks() { grep -a -c "frame tick" "$log" 2>/dev/null || true; }
private_kib() { awk "/^Private_(Clean|Dirty)/ { n += \$2 } END { print n }" "/proc/${1:-$app}/smaps_rollup"; }
spread() {  # min median max of the numbers given
  printf "%s\n" "$@" | sort -n | awk "{ v[NR] = \$1 } END { printf \"%s / %s / %s\", v[1], v[int((NR + 1) / 2)], v[NR] }"
}
# CPU %, wake-ups per second and frame ticks over the window.
quiet_window() {
  local c0 w0 f0 c1 w1 f1 hz
  hz=$(getconf CLK_TCK)
  c0=$(cpu_ticks); w0=$(wakeups); f0=$(ticks)
  sleep "$seconds"
  c1=$(cpu_ticks); w1=$(wakeups); f1=$(ticks)
  awk -v c=$((c1 - c0)) -v hz=$hz -v s=$seconds -v w=$((w1 - w0)) -v f=$((f1 - f0)) \
    "BEGIN { printf \"%5.1f %% CPU   %5.1f wake-ups/s   %d frame ticks\", 100 * c / hz / s, w / s, f }"
}

wine "$win/shellsim.exe" &
shell=$!
sleep 1
echo "figures under Wine 8 + Xvfb 1920x1080 (llvmpipe), $(nproc) cores, lumenhollow.exe --tray"

settings "$picture" 0
walls=() cpus=()
for run in 1 2 3 4 5; do
  start_app
  read -r wall cpu < <(first_present)
  walls+=("$wall") cpus+=("$cpu")
  [ $run -lt 5 ] && stop_app
done
echo "  start to first Present, 1080p picture, warm prefix (min / median / max of 5)"
echo "                                   $(spread "${walls[@]}") ms wall   target <= 300 ms"
echo "                                   $(spread "${cpus[@]}") ms CPU of the process (all threads)"
sleep 2
echo "  private memory, one 1080p picture, library never opened"
echo "                                   $(( $(private_kib) / 1024 )) MiB (Private_Clean + Private_Dirty)   target <= 40 MB"
echo "                                   $(( $(private_kib $shell) / 1024 )) MiB for shellsim.exe, a bare Win32 window program: Wine itself"
echo "  still picture, ${seconds} s           $(quiet_window)   target 0.0 %, 0 ticks"
if [ -n "$runtime" ] && wine "$win/lhctl.exe" open >/dev/null && sleep 3 && wine "$win/lhctl.exe" close-library >/dev/null; then
  sleep 3  # the working-set trim follows the window a second later
  echo "  private memory after the library was opened and closed (test runtime, no browser)"
  echo "                                   $(( $(private_kib) / 1024 )) MiB   target <= 40 MB"
else
  echo "  library opened and closed         not measured: no web-view runtime in $win"
fi
stop_app

settings "$gif" 1
start_app
first_present >/dev/null
sleep 1
echo "  animated GIF playing, ${seconds} s    $(quiet_window)   (reference)"
wine "$win/lhctl.exe" pause
sleep 1
echo "  Pause all on that GIF, ${seconds} s   $(quiet_window)   target 0.0 %, 0 ticks"
stop_app

# Stop mode: a program rule for notepad.exe stops the video while notepad runs.
settings "$video" 0
printf "pauseAction=stop\r\nrule=running,notepad.exe\r\n" >> "$data/lumenhollow.ini"
start_app
first_present >/dev/null
sleep 3
playing=$(( $(private_kib) / 1024 ))
wine notepad.exe &
notepad=$!
for _ in $(seq 100); do grep -a -q "paused for notepad.exe" "$log" && break; sleep 0.1; done
sleep 3  # the working-set trim follows the stop
stopped=$(( $(private_kib) / 1024 ))
echo "  private memory, 1080p H.264 video  $playing MiB playing, $stopped MiB stopped for a program rule,"
echo "                                   $(( $(private_kib $shell) / 1024 )) MiB the floor (shellsim.exe, a bare Win32 program)"
wine taskkill.exe /F /IM notepad.exe >/dev/null 2>&1
wait $notepad 2>/dev/null
stop_app
kill $shell 2>/dev/null
wait $shell 2>/dev/null
true
' figures "$win" "$work"
