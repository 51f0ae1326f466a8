#!/usr/bin/env bash
# What the real lumenhollow.exe costs under Wine on the simulated desktop:
# CPU share and wake-ups while nothing should move, time to the first Present
# of a picture, and private memory with one 1080p picture, each beside the
# same figure of the floor (bench/floor_win.cpp: the least program that shows
# that picture) run in the same prefix. The program writes its trace lines
# only because LH_TRACE is set here. Prints each figure beside its target;
# Wine and llvmpipe run inside the measured process, so the figures are upper
# bounds for Windows.
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
ffmpeg -v error -nostdin -f lavfi -i "gradients=s=1920x1080:seed=3,format=rgb24" -frames:v 1 "$work/picture.png"
ffmpeg -v error -nostdin -f lavfi -i "testsrc=s=640x360:r=10:d=2" "$work/loop.gif"
ffmpeg -v error -nostdin -f lavfi -i "testsrc2=s=1920x1080:r=30" -t 20 -c:v libx264 -preset ultrafast -pix_fmt yuv420p \
  "$work/video.mp4"

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
first_present() {  # [FILE] -> "WALL CPU" in ms
  for _ in $(seq 600); do
    line=$(grep -a -o "first present [0-9]* ms after process start, [0-9]* ms CPU" "${1:-$log}" 2>/dev/null | head -n1)
    [ -n "$line" ] && { echo "$line" | awk "{ print \$3, \$8 }"; return; }
    sleep 0.05
  done
  echo "none none"
}
cpu_ticks() { awk "{ print \$14 + \$15 }" "/proc/$app/stat"; }
# Voluntary switches are the threads going to sleep: one per wake-up, and one
# per round trip to the wineserver. The wake-ups of the loop itself are traced.
switches() { cat /proc/$app/task/*/status 2>/dev/null | awk "/^voluntary_ctxt_switches/ { n += \$2 } END { print n }"; }
wakeups() { grep -a -c "trace: wake" "$log" 2>/dev/null || true; }
ticks() { grep -a -c "frame tick" "$log" 2>/dev/null || true; }
# Written pages only, as Windows counts private bytes: the clean code pages of
# a library count as private whenever no other process maps it at the
# moment, which swung the floor between 58 and 82 MiB from one run to the next.
private_kib() { awk "/^Private_Dirty/ { n += \$2 } END { print n }" "/proc/${1:-$app}/smaps_rollup"; }
spread() {  # min median max of the numbers given
  printf "%s\n" "$@" | sort -n | awk "{ v[NR] = \$1 } END { printf \"%s / %s / %s\", v[1], v[int((NR + 1) / 2)], v[NR] }"
}
median() { printf "%s\n" "$@" | sort -n | awk "{ v[NR] = \$1 } END { print v[int((NR + 1) / 2)] }"; }
ratio() { awk -v a="$1" -v b="$2" "BEGIN { if (b > 0) printf \"%.2fx\", a / b; else printf \"-\" }"; }
# The floor shows the picture five times; the last one stays up to be weighed.
floor_walls=() floor_cpus=()
run_floor() {
  local report=$work/floor-report.txt
  rm -f "$report"
  wine "$win/lumenhollow-floor.exe" "$picture" "$(winepath -w "$report")" &
  floor=$!
  read -r wall cpu < <(first_present "$report")
  floor_walls+=("$wall") floor_cpus+=("$cpu")
}
stop_floor() { kill $floor 2>/dev/null; wait $floor 2>/dev/null; }
# CPU %, wake-ups per second and frame ticks over the window.
quiet_window() {
  local c0 w0 f0 s0 c1 w1 f1 s1 hz
  hz=$(getconf CLK_TCK)
  c0=$(cpu_ticks); w0=$(wakeups); f0=$(ticks); s0=$(switches)
  sleep "$seconds"
  c1=$(cpu_ticks); w1=$(wakeups); f1=$(ticks); s1=$(switches)
  awk -v c=$((c1 - c0)) -v hz=$hz -v s=$seconds -v w=$((w1 - w0)) -v f=$((f1 - f0)) -v x=$((s1 - s0)) \
    "BEGIN { printf \"%5.1f %% CPU   %5.1f wake-ups/s   %d frame ticks   %5.1f thread switches/s\", 100 * c / hz / s, w / s, f, x / s }"
}

wine "$win/shellsim.exe" &
shell=$!
sleep 1
echo "figures under Wine 8 + Xvfb 1920x1080 (llvmpipe), $(nproc) cores, lumenhollow.exe --tray"

settings "$picture" 0
walls=() cpus=()
# The two programs take turns, so both meet the same load from the rest of
# the machine; each runs alone.
for run in 1 2 3 4 5; do
  run_floor
  if [ $run -eq 5 ]; then
    sleep 2
    floor_kib=$(private_kib $floor)
    app=$floor
    floor_quiet=$(quiet_window)
  fi
  stop_floor
  start_app
  read -r wall cpu < <(first_present)
  walls+=("$wall") cpus+=("$cpu")
  [ $run -lt 5 ] && stop_app
done
echo "  start to first Present, 1080p picture, warm prefix (min / median / max of 5)"
echo "    lumenhollow.exe                $(spread "${walls[@]}") ms wall   target <= 300 ms"
echo "                                   $(spread "${cpus[@]}") ms CPU of the process (all threads)"
echo "    floor                          $(spread "${floor_walls[@]}") ms wall"
echo "                                   $(spread "${floor_cpus[@]}") ms CPU"
echo "    ours / floor (medians)         $(ratio "$(median "${walls[@]}")" "$(median "${floor_walls[@]}")") wall   $(ratio "$(median "${cpus[@]}")" "$(median "${floor_cpus[@]}")") CPU   target <= 1.3x"
sleep 2
own_kib=$(private_kib)
echo "  private memory, one 1080p picture, library never opened (Private_Dirty)"
echo "    lumenhollow.exe                $(( own_kib / 1024 )) MiB   target <= 40 MB"
echo "    floor                          $(( floor_kib / 1024 )) MiB"
echo "    ours / floor                   $(ratio "$own_kib" "$floor_kib")   target <= 1.3x"
echo "    shellsim.exe                   $(( $(private_kib $shell) / 1024 )) MiB, a bare Win32 window program: Wine itself"
echo "  start-up steps of the last start (trace spans: wall time, memory grown)"
grep -a -o "trace: step .*" "$log" | sed "s/^trace: step /    /"
echo "  still picture, ${seconds} s           $(quiet_window)   target 0.0 %, <= 1 wake-up/s, 0 ticks"
echo "  the floor, same picture, ${seconds} s    $floor_quiet"
if [ -n "$runtime" ] && wine "$win/lhctl.exe" open >/dev/null && sleep 3 && wine "$win/lhctl.exe" close-library >/dev/null; then
  sleep 3  # the working-set trim follows the window one or two seconds later
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
echo "  Pause all on that GIF, ${seconds} s   $(quiet_window)   target 0.0 %, <= 1 wake-up/s, 0 ticks"
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
sleep 4  # the working-set trim follows the stop, on the housekeeping pass
stopped=$(( $(private_kib) / 1024 ))
echo "  private memory, 1080p H.264 video playing, then stopped while a program rule holds (pauseAction=stop)"
echo "    lumenhollow.exe                $playing MiB playing, $stopped MiB stopped   (floor with a picture: $(( floor_kib / 1024 )) MiB)"
wine taskkill.exe /F /IM notepad.exe >/dev/null 2>&1
wait $notepad 2>/dev/null
stop_app
kill $shell 2>/dev/null
wait $shell 2>/dev/null
true
' figures "$win" "$work"
