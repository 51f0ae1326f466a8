#!/usr/bin/env bash
# Runs one command against a private X display and a Wine prefix, and ends
# exactly what it started (the prefix's wineserver and its Xvfb), whatever
# happens to the command.
#
#   winerun.sh [--fresh] [--prefix DIR] [--timeout SECONDS] [--display] -- COMMAND...
#
# --fresh     make the prefix anew (wineboot -i) before running
# --display   use the caller's $DISPLAY instead of a private Xvfb
# Inside COMMAND: WINEPREFIX, DISPLAY and LH_WINE_APPDATA (the prefix's
# roaming application-data folder, as a Linux path) are set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${LH_BUILD:-$here/../build}
prefix=$build/wineprefix
timeout_s=600
fresh=0
own_display=0
while [ $# -gt 0 ]; do
  case "$1" in
    --fresh) fresh=1 ;;
    --prefix) prefix=$2; shift ;;
    --timeout) timeout_s=$2; shift ;;
    --display) own_display=1 ;;
    --) shift; break ;;
    *) echo "winerun: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
[ $# -gt 0 ] || { echo "winerun: no command" >&2; exit 2; }

mkdir -p "$build"
prefix=$(realpath -m "$prefix")
export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers: the program needs neither.
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
# Videos with sound stall without an audio device; point ALSA at nothing.
export HOME=$build/winehome
mkdir -p "$HOME"
echo 'pcm.!default { type null }' > "$HOME/.asoundrc"

xvfb_pid=""
cleanup() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ $own_display -eq 0 ] || [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 91 140); do
    [ -e /tmp/.X$n-lock ] || [ -e /tmp/.X11-unix/X$n ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e /tmp/.X11-unix/X$n ] && break; sleep 0.1; done
    if [ -e /tmp/.X11-unix/X$n ] && kill -0 $xvfb_pid 2>/dev/null; then export DISPLAY=":$n"; break; fi
    kill $xvfb_pid 2>/dev/null || true; xvfb_pid=""
  done
  [ -n "$xvfb_pid" ] || { echo "winerun: could not start Xvfb" >&2; exit 1; }
fi

if [ $fresh -eq 1 ] || [ ! -f "$prefix/system.reg" ]; then
  rm -rf "$prefix"
  start=$(date +%s)
  timeout 180 wineboot -i >/dev/null 2>&1
  # A crash prints its backtrace and ends the process at once, instead of a
  # crash dialog that holds it until the time limit.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  WINEPREFIX=$prefix wineserver -w
  echo "winerun: fresh prefix in $(( $(date +%s) - start )) s"
fi
# Keep one wineserver alive for the whole run: programs then start in a blink.
wineserver -p 2>/dev/null || true
user=$(id -un)
export LH_WINE_APPDATA="$prefix/drive_c/users/$user/AppData/Roaming"
mkdir -p "$LH_WINE_APPDATA"

set +e
timeout --kill-after=10 "$timeout_s" "$@"
status=$?
set -e
[ $status -eq 124 ] && echo "winerun: timed out after $timeout_s s: $*" >&2
exit $status
