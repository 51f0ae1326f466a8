#!/usr/bin/env bash
# `make run`: lays the program out under build/run/Lumenhollow as it is
# installed (lumenhollow.exe, ui/, wallpapers/) and starts it under Wine on the
# simulated desktop as a first run, with a fresh data folder, so the samples
# are assigned. With a display it runs until you exit it from the tray.
# Without one it runs on a private Xvfb: a few seconds of first run, then a
# second start whose screensaver shows the sample full screen (the idle
# screensaver, a minute after start), saves screenshots under build/run/,
# ends the program cleanly and says what it showed and where its files are.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
win=$(realpath "${1:-$root/build/win}")
build=$(realpath -m "${LH_BUILD:-$root/build}")
prefix=$build/wineprefix-run
out=$build/run
app=$out/Lumenhollow
seconds=${LH_RUN_SECONDS:-5}

rm -rf "$app" "$out"/*.png
mkdir -p "$app/wallpapers"
cp "$win/lumenhollow.exe" "$app/"
cp -r "$root/ui" "$app/ui"
if [ -d "$build/wallpapers" ]; then
  cp -rl "$build/wallpapers/." "$app/wallpapers/" 2>/dev/null || cp -r "$build/wallpapers/." "$app/wallpapers/"
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$here/winerun.sh" --display --prefix "$prefix" --timeout 86400 -- bash -c '
    rm -rf "$LH_WINE_APPDATA/Lumenhollow"
    wine "$1/shellsim.exe" & wine "$2/lumenhollow.exe"' run "$win" "$app"
fi

"$here/winerun.sh" --prefix "$prefix" --timeout 300 -- bash -c '
  set -u
  win=$1 app=$2 out=$3 seconds=$4
  data=$LH_WINE_APPDATA/Lumenhollow
  ini=$data/lumenhollow.ini
  rm -rf "$data"
  # Wine has no desktop shell; shellsim plays its windows so the program can attach.
  wine "$win/shellsim.exe" &
  shell=$!
  wine "$app/lumenhollow.exe" &
  pid=$!
  wine "$win/lhctl.exe" wait 30 || { echo "run: lumenhollow.exe did not start"; exit 1; }
  echo "run: first run of $app/lumenhollow.exe on the private display $DISPLAY for $seconds s"
  sleep "$seconds"
  import -window root -display "$DISPLAY" "$out/desktop.png" 2>/dev/null && echo "run: screenshot $out/desktop.png"
  grep "^screen:" "$ini" | tr -d "\r" | sed "s/^/run: assigned    /"
  wine "$win/lhctl.exe" exit 15
  wait $pid && status=0 || status=$?
  echo "run: the first run ended with exit code $status"

  # The screensaver shows the wallpaper in the program'"'"'s own full-screen
  # window: start again with the idle screensaver after one minute, unless
  # the first run could not load the sample at all.
  status2=0
  if grep -q "could not load" "$data/log.txt" 2>/dev/null; then
    echo "run: the sample could not be loaded here, so no screensaver to show"
  else
    sed -i -e "s/^idle=.*/idle=2/" -e "s/^idleMin=.*/idleMin=1/" "$ini"
    wine "$app/lumenhollow.exe" --tray &
    pid=$!
    wine "$win/lhctl.exe" wait 30 >/dev/null
    echo "run: waiting for the screensaver (a minute of idle time)"
    if rect=$(wine "$win/lhctl.exe" saver 90 | tr -d "\r") && [ -n "$rect" ]; then
      # The window is black until the video'"'"'s first frame arrives.
      for _ in $(seq 20); do
        sleep 1
        import -window root -display "$DISPLAY" "$out/screensaver.png" 2>/dev/null || continue
        [ "$(convert "$out/screensaver.png" -resize 1x1\! -format "%[fx:int(255*maxima)]" info:)" -gt 8 ] && break
      done
      echo "run: screenshot $out/screensaver.png (screensaver window at $rect)"
    else
      echo "run: no screensaver window came up; the log says why"
    fi
    wine "$win/lhctl.exe" exit 15
    wait $pid || status2=$?
    echo "run: the second start ended with exit code $status2"
  fi
  kill $shell 2>/dev/null || true
  wait $shell 2>/dev/null || true
  echo "run: settings  $ini"
  echo "run: log       $data/log.txt"
  sed "s/^/run: log: /" "$data/log.txt" 2>/dev/null | tail -n 5
  [ $status -eq 0 ] && [ $status2 -eq 0 ]
' run "$win" "$app" "$out" "$seconds"
