#!/usr/bin/env bash
# The sample wallpapers and what a Windows user downloads: the videos read back
# with ffprobe, the painter run twice, then the zip, and the installer under
# Wine in a fresh prefix: silent install into the user's own folders, a first
# run of the installed program, the screensaver playing a sample, and a silent
# uninstall that leaves only the user's data.
#   tests/dist/run.sh [WIN_BUILD]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath -m "${LH_BUILD:-$root/build}")
export LH_BUILD=$build
work=$build/dist-check
results=$work/results.txt

check() {  # check NAME COMMAND...: one line per case, counted at the end
  local name=$1; shift
  if "$@"; then echo "ok   $name" | tee -a "$results"; else echo "FAIL $name" | tee -a "$results"; fi
}
probe() { ffprobe -v error -select_streams v:0 -show_entries "stream=$1" -of csv=p=0 "$2"; }
win_path() { winepath -w "$1" 2>/dev/null; }
mean_colour() { convert "$1" -resize 1x1\! -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info: 2>/dev/null; }

# The idle screensaver (idle=2, one minute) of the installed program.
saver_check() {
  local installed=$1 data=$2 tools=$3 app
  sed -i -e 's/^idle=.*/idle=2/' -e 's/^idleMin=.*/idleMin=1/' "$data/lumenhollow.ini"
  wine "$installed/lumenhollow.exe" --tray & app=$!
  wine "$tools/lhctl.exe" wait 30 >/dev/null
  local saver=1
  wine "$tools/lhctl.exe" saver 100 >/dev/null && saver=0
  check "the screensaver starts with the sample" test $saver -eq 0
  if [ $saver -eq 0 ]; then
    # The window is black until the video's first frame arrives.
    for _ in $(seq 20); do
      sleep 1
      import -window root -display "$DISPLAY" "$work/saver-1.png" 2>/dev/null
      [ "$(mean_colour "$work/saver-1.png")" != "0 0 0" ] && break
    done
    sleep 1.5
    import -window root -display "$DISPLAY" "$work/saver-2.png" 2>/dev/null
    # The saver's mean colour against the sample's first frame: a blank or
    # wrong window is far off; the drift moves the picture between shots.
    local want got moved
    want=$(mean_colour "$installed/wallpapers/thumbs/misty-peaks.mp4.jpg")
    got=$(mean_colour "$work/saver-1.png")
    echo "     saver mean colour $got, sample $want"
    check "the screensaver shows the sample's colours" \
      awk -v a="$want" -v b="$got" 'BEGIN { split(a, x); split(b, y); for (i = 1; i <= 3; i++) { d = x[i] - y[i]; if (d < -24 || d > 24) exit 1 } }'
    moved=$(compare -metric AE -fuzz 2% "$work/saver-1.png" "$work/saver-2.png" null: 2>&1)
    check "the screensaver plays the video (frames differ)" awk -v n="${moved%% *}" 'BEGIN { exit !(n + 0 > 1000) }'
  fi
  wine "$tools/lhctl.exe" exit 15
  wait $app
}

# Inside Wine (winerun.sh sets WINEPREFIX, DISPLAY and LH_WINE_APPDATA).
inside() {
  local setup=$1 tools=$2
  local user; user=$(id -un)
  local users=$WINEPREFIX/drive_c/users/$user
  local installed=$users/AppData/Local/Programs/Lumenhollow
  local shortcut="$LH_WINE_APPDATA/Microsoft/Windows/Start Menu/Programs/Lumenhollow.lnk"
  local data=$LH_WINE_APPDATA/Lumenhollow
  local uninstall='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumenhollow'
  local run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
  local shell app

  wine "$setup" /S
  check "installer /S exits 0" test $? -eq 0
  check "installs under the user's local programs folder" \
    test -f "$installed/lumenhollow.exe" -a -f "$installed/ui/library.html" -a -f "$installed/uninstall.exe"
  check "installs the four samples with thumbnails" \
    test "$(ls "$installed"/wallpapers/*.mp4 "$installed"/wallpapers/thumbs/*.mp4.jpg 2>/dev/null | wc -l)" -eq 8
  check "adds the Start-menu shortcut" test -f "$shortcut"
  check "lists itself among the user's installed apps" \
    bash -c "wine reg query '$uninstall' /v UninstallString 2>/dev/null | grep -q 'uninstall.exe'"
  check "writes nothing for all users" \
    bash -c "! wine reg query 'HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lumenhollow' >/dev/null 2>&1 &&
             ! ls '$WINEPREFIX/drive_c/Program Files' '$WINEPREFIX/drive_c/Program Files (x86)' 2>/dev/null | grep -qi lumenhollow"

  # A first run of the installed program: no settings yet, so it assigns the samples.
  rm -rf "$data"
  wine "$tools/shellsim.exe" & shell=$!
  wine "$installed/lumenhollow.exe" & app=$!
  wine "$tools/lhctl.exe" wait 30
  check "the installed program starts" test $? -eq 0
  sleep 2
  check "a first run assigns the installed misty-peaks sample" \
    grep -qiF "$(win_path "$installed/wallpapers/misty-peaks.mp4")" "$data/lumenhollow.ini"
  wine "$tools/lhctl.exe" autostart
  # The tray command is posted: give a loaded machine up to 20 s to carry it out.
  check "start with Windows writes the Run value" bash -c "for _ in \$(seq 20); do
      wine reg query '$run' /v Lumenhollow 2>/dev/null | grep -qi 'lumenhollow.exe' && exit 0; sleep 1; done; exit 1"
  wine "$tools/lhctl.exe" exit 15
  wait $app
  check "the installed program exits cleanly" test $? -eq 0

  # The screensaver a minute after start shows the assigned sample, moving.
  # It needs a program that plays videos at all.
  if grep -q VideoRenderer "$root/src/render/renderer_factory_win.cpp"; then
    saver_check "$installed" "$data" "$tools"
  else
    echo "skip the screensaver plays the sample: this build has no video renderer"
  fi
  kill $shell 2>/dev/null; wait $shell 2>/dev/null

  # The uninstaller copies itself away and returns at once; wait for its copy.
  wine "$installed/uninstall.exe" /S
  for _ in $(seq 60); do [ -e "$installed" ] || break; sleep 0.5; done
  check "uninstaller removes the program folder" test ! -e "$installed"
  check "uninstaller removes the shortcut" test ! -e "$shortcut"
  check "uninstaller removes the installed-apps entry" \
    bash -c "! wine reg query '$uninstall' >/dev/null 2>&1"
  check "uninstaller removes the Run value" bash -c "! wine reg query '$run' /v Lumenhollow >/dev/null 2>&1"
  check "a silent uninstall keeps the user's settings" test -f "$data/lumenhollow.ini"
}


if [ "${1:-}" = --inside ]; then
  shift
  work=$1 results=$1/results.txt
  inside "$2" "$3"
  exit 0
fi
win=$(realpath -m "${1:-$build/win}")
rm -rf "$work"
mkdir -p "$work"
: > "$results"

# The samples: baked once per build folder, so this reuses what make run or
# make dist made.
"$root/scripts/samples.sh" || { echo "dist: the samples could not be made"; echo "0 passed, 1 failed"; exit 1; }
walls=$build/wallpapers
for name in misty-peaks night-drive deep-space ocean-dusk; do
  video=$walls/$name.mp4
  check "$name: H.264, 1920x1080, 30 fps" test "$(probe codec_name,width,height,r_frame_rate "$video")" = "h264,1920,1080,30/1"
  check "$name: 360 frames" test "$(ffprobe -v error -select_streams v:0 -count_packets -show_entries stream=nb_read_packets -of csv=p=0 "$video")" = 360
  thumb=$walls/thumbs/$name.mp4.jpg
  check "$name: a 640x360 JPEG thumbnail" test "$(probe codec_name,width,height "$thumb")" = "mjpeg,640,360"
  psnr=$(ffmpeg -v info -i "$video" -i "$thumb" -lavfi "[0:v]trim=end_frame=1,scale=640:360,format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr" -f null - 2>&1 |
    grep -o 'average:[0-9.inf]*' | head -n1 | cut -d: -f2)
  check "$name: the thumbnail is the first frame (PSNR ${psnr:-none} dB)" awk -v p="${psnr:-0}" 'BEGIN { exit !(p == "inf" || p + 0 >= 30) }'
done
stamp=$(stat -c '%n %Y %s' "$walls"/*.mp4 "$walls"/thumbs/*.jpg | md5sum)
again=$("$root/scripts/samples.sh" 2>&1)
check "a second build bakes nothing" bash -c '[ "$1" = "$2" ] && ! grep -q baked <<<"$3"' _ \
  "$stamp" "$(stat -c '%n %Y %s' "$walls"/*.mp4 "$walls"/thumbs/*.jpg | md5sum)" "$again"
mkdir -p "$work/paint"
"$build/native/lumenhollow-samples" --list | cut -d' ' -f1 | xargs -P "$(nproc)" -I{} "$build/native/lumenhollow-samples" "$work/paint" {}
for png in "$build"/samples/*.png; do
  check "the painter gives the same $(basename "$png") twice" cmp -s "$png" "$work/paint/$(basename "$png")"
done
check "the painted pictures are 2560x1440" test "$(identify -format '%wx%h ' "$build"/samples/*.png)" = "2560x1440 2560x1440 2560x1440 2560x1440 "
rm -rf "$work/paint"

# The zip and the installer.
if [ ! -f "$win/build.ninja" ]; then
  cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$win" --target lumenhollow shellsim lhctl >/dev/null || { echo "FAIL windows build" | tee -a "$results"; }
LH_DIST=$work/dist "$root/scripts/dist.sh" "$win" | grep '^dist:'
version=$(sed -n 's/^#define LH_VERSION_TEXT "\(.*\)"$/\1/p' "$root/src/base/version.h")
zip=$work/dist/Lumenhollow-$version-win64.zip
setup=$work/dist/Lumenhollow-$version-setup.exe
listing=$(unzip -Z1 "$zip" 2>/dev/null)
check "the zip holds the program, the page and the samples" bash -c '
  for f in lumenhollow.exe ui/library.html wallpapers/misty-peaks.mp4 wallpapers/thumbs/ocean-dusk.mp4.jpg; do
    grep -qx "Lumenhollow/$f" <<<"$1" || exit 1; done' _ "$listing"
check "the zip holds four videos and four thumbnails" test "$(grep -cE '\.mp4(\.jpg)?$' <<<"$listing")" -eq 8
check "the installer asks for no administrator rights" grep -aq 'level="asInvoker"' "$setup"
check "the program carries the version" bash -c 'strings -el "$1" | grep -qx "$2"' _ "$win/lumenhollow.exe" "$version"

"$root/scripts/winerun.sh" --fresh --prefix "$build/wineprefix-dist" --timeout 420 -- \
  "$here/run.sh" --inside "$work" "$setup" "$win" || echo "FAIL the Wine run ended early" | tee -a "$results"

passed=$(grep -c '^ok' "$results")
failed=$(grep -c '^FAIL' "$results")
echo "dist: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
