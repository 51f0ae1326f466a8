#!/usr/bin/env bash
# `make run`: starts lumenhollow.exe under Wine. With a display it runs in a
# window until you exit it from the tray; without one it runs on a private
# Xvfb for a short while, saves a screenshot, ends the program cleanly and
# says where its log and settings are.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$(realpath "${1:-$here/../build/win}")
build=${LH_BUILD:-$here/../build}
prefix=$build/wineprefix-run
seconds=${LH_RUN_SECONDS:-8}

if [ -n "${DISPLAY:-}" ]; then
  exec "$here/winerun.sh" --display --prefix "$prefix" --timeout 86400 -- \
    bash -c 'wine "$1/shellsim.exe" & wine "$1/lumenhollow.exe"' run "$win"
fi

"$here/winerun.sh" --prefix "$prefix" --timeout 300 -- bash -c '
  set -e
  win=$1 seconds=$2 shot=$3
  # Wine has no desktop shell; shellsim plays its windows so the program can attach.
  wine "$win/shellsim.exe" &
  shell=$!
  wine "$win/lumenhollow.exe" &
  app=$!
  wine "$win/lhctl.exe" wait 20
  echo "run: lumenhollow.exe is running on the private display $DISPLAY; showing it for $seconds s"
  sleep "$seconds"
  import -window root -display "$DISPLAY" "$shot" 2>/dev/null && echo "run: screenshot $shot"
  wine "$win/lhctl.exe" exit 10
  wait $app && status=0 || status=$?
  echo "run: the program ended with exit code $status"
  kill $shell 2>/dev/null || true
  echo "run: settings  $LH_WINE_APPDATA/Lumenhollow/lumenhollow.ini"
  echo "run: log       $LH_WINE_APPDATA/Lumenhollow/log.txt"
' run "$win" "$seconds" "$(realpath -m "$build/run-screenshot.png")"
