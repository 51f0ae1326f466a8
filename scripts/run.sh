#!/usr/bin/env bash
# `make run`: lays the program out under build/run/Lumenhollow as it is
# installed (lumenhollow.exe, ui/, wallpapers/) and starts it under Wine on the
# simulated desktop as a first run, with a fresh data folder, so the samples
# are assigned. Its library page opens in Debian's Chromium through the test
# web-view runtime's bridge (scripts/library-bridge.sh). With a display it runs
# until you exit it from the tray, the page in a browser window. Without one it
# runs on a private Xvfb for a few seconds, saves screenshots of the desktop,
# the library page and the screensaver preview the page asks for under
# build/run/, ends the program cleanly and says what it showed and where its
# files are.
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

# The folder to name in WEBVIEW2_BROWSER_EXECUTABLE_FOLDER: the one holding
# EBWebView/x64/EmbeddedBrowserWebView.dll, built with the program.
runtime=$(find "$win" -path '*/EBWebView/x64/EmbeddedBrowserWebView.dll' -print -quit)
[ -n "$runtime" ] || { echo "run: no test web-view runtime under $win; build the fakewebview target"; exit 1; }
runtime=$(dirname "$(dirname "$(dirname "$runtime")")")

if [ -n "${DISPLAY:-}" ]; then
  exec "$here/winerun.sh" --display --prefix "$prefix" --timeout 86400 -- bash -c '
    here=$1 win=$2 app=$3 out=$4 runtime=$5
    rm -rf "$LH_WINE_APPDATA/Lumenhollow" "$out/bridge.port"
    "$here/library-bridge.sh" --headed --port-file "$out/bridge.port" &
    bridge=$!
    for _ in $(seq 600); do [ -s "$out/bridge.port" ] && break; sleep 0.5; done
    wine "$win/shellsim.exe" &
    shell=$!
    WEBVIEW2_BROWSER_EXECUTABLE_FOLDER="Z:${runtime//\//\\}" LH_FAKEWEBVIEW_BRIDGE=$(cat "$out/bridge.port" 2>/dev/null) \
      wine "$app/lumenhollow.exe"
    status=$?
    kill $shell $bridge 2>/dev/null
    wait $shell $bridge 2>/dev/null
    exit $status' run "$here" "$win" "$app" "$out" "$runtime"
fi

"$here/winerun.sh" --prefix "$prefix" --timeout 600 -- bash -c '
  set -u
  here=$1 win=$2 app=$3 out=$4 seconds=$5 runtime=$6
  data=$LH_WINE_APPDATA/Lumenhollow
  ini=$data/lumenhollow.ini
  rm -rf "$data" "$out/bridge.port" "$out/bridge.txt" "$out/desktop-shown"
  # Takes a screenshot of the private display once the screensaver window shows
  # the video (it is black until the first frame arrives), within $2 seconds of
  # its start, and while the window is still there.
  saver_shot() {
    local rect end
    rect=$(wine "$win/lhctl.exe" saver "$1" | tr -d "\r") && [ -n "$rect" ] || return 1
    end=$((SECONDS + $2))
    while [ $SECONDS -lt $end ]; do
      if import -window root -display "$DISPLAY" "$out/saver-try.png" 2>/dev/null &&
         [ "$(convert "$out/saver-try.png" -resize 1x1\! -format "%[fx:int(255*maxima)]" info:)" -gt 8 ]; then
        wine "$win/lhctl.exe" saver 1 >/dev/null 2>&1 || break
        mv "$out/saver-try.png" "$out/screensaver.png"
        echo "run: screenshot $out/screensaver.png (screensaver window at $rect)"
        return 0
      fi
      sleep 0.25
    done
    rm -f "$out/saver-try.png"
    echo "run: the screensaver window at $rect stayed black"
    return 1
  }
  # The page asks for the screensaver preview once its screenshot is taken and
  # the desktop has had its few seconds.
  "$here/library-bridge.sh" --port-file "$out/bridge.port" --screenshot "$out/library.png" --send saver \
    --send-after "$out/desktop-shown" >"$out/bridge.txt" 2>&1 &
  bridge=$!
  for _ in $(seq 600); do [ -s "$out/bridge.port" ] && break; sleep 0.5; done
  [ -s "$out/bridge.port" ] || { echo "run: the library bridge did not start:"; cat "$out/bridge.txt"; }
  # Wine has no desktop shell; shellsim plays its windows so the program can attach.
  wine "$win/shellsim.exe" &
  shell=$!
  WEBVIEW2_BROWSER_EXECUTABLE_FOLDER="Z:${runtime//\//\\}" LH_FAKEWEBVIEW_BRIDGE=$(cat "$out/bridge.port" 2>/dev/null) \
    wine "$app/lumenhollow.exe" &
  pid=$!
  wine "$win/lhctl.exe" wait 30 || { echo "run: lumenhollow.exe did not start"; exit 1; }
  echo "run: first run of $app/lumenhollow.exe on the private display $DISPLAY for $seconds s"
  sleep "$seconds"
  import -window root -display "$DISPLAY" "$out/desktop.png" 2>/dev/null && echo "run: screenshot $out/desktop.png"
  touch "$out/desktop-shown"
  grep "^screen:" "$ini" | tr -d "\r" | sed "s/^/run: assigned    /"
  for _ in $(seq 120); do grep -q "^library-bridge: the page sent" "$out/bridge.txt" && break; sleep 0.5; done
  if [ -s "$out/library.png" ]; then
    echo "run: screenshot $out/library.png (the library page in Chromium)"
  else
    echo "run: the library page did not show:"; sed "s/^/run: bridge: /" "$out/bridge.txt"
  fi
  saved=0
  if grep -q "^library-bridge: the page sent" "$out/bridge.txt"; then
    saver_shot 10 3 && saved=1
  fi
  # It exits while the 6-second preview still shows, shot or not: under Wine 8
  # the media pipeline can fault when the paused desktop video plays again (a
  # race in its clock restart).
  wine "$win/lhctl.exe" exit 15
  wait $pid && status=0 || status=$?
  echo "run: the first run ended with exit code $status"
  kill $bridge 2>/dev/null
  wait $bridge 2>/dev/null

  # Without the page the preview comes from the idle screensaver instead: start
  # again with it after one minute, unless the first run could not load the
  # sample at all.
  status2=0
  if [ $saved -eq 1 ]; then
    :
  elif grep -q "could not load" "$data/log.txt" 2>/dev/null; then
    echo "run: the sample could not be loaded here, so no screensaver to show"
  else
    sed -i -e "s/^idle=.*/idle=2/" -e "s/^idleMin=.*/idleMin=1/" "$ini"
    wine "$app/lumenhollow.exe" --tray &
    pid=$!
    wine "$win/lhctl.exe" wait 30 >/dev/null
    echo "run: waiting for the screensaver (a minute of idle time)"
    saver_shot 90 20 || echo "run: no screensaver window came up; the log says why"
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
' run "$here" "$win" "$app" "$out" "$seconds" "$runtime"
