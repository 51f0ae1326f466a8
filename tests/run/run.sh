#!/usr/bin/env bash
# `make run` without a display: it ends on its own within its time, exits 0,
# runs the program from a folder laid out as installed, as a first run that
# assigns the samples, and leaves its screenshots (desktop, library page,
# screensaver) under build/run/.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(realpath -m "${LH_BUILD:-$root/build}")
export LH_BUILD=$build
win=$build/win
passed=0 failed=0
check() {
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}

"$root/scripts/samples.sh" >/dev/null || { echo "run: the samples could not be made"; echo "0 passed, 1 failed"; exit 1; }
if [ ! -f "$win/build.ninja" ]; then
  cmake -S "$root" -B "$win" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" >/dev/null
fi
cmake --build "$win" --target lumenhollow shellsim lhctl fakewebview >/dev/null

start=$(date +%s)
output=$(env -u DISPLAY timeout 400 "$root/scripts/run.sh" "$win" 2>&1)
status=$?
took=$(( $(date +%s) - start ))
sed 's/^/     /' <<<"$output"
check "make run exits 0 (in $took s)" test $status -eq 0
app=$build/run/Lumenhollow
check "it runs from a folder laid out as installed" \
  test -f "$app/lumenhollow.exe" -a -f "$app/ui/library.html" -a "$(ls "$app"/wallpapers/*.mp4 "$app"/wallpapers/thumbs/*.jpg | wc -l)" -eq 8
check "a first run assigns the samples" grep -q '^run: assigned .*\\wallpapers\\misty-peaks\.mp4' <<<"$output"
check "it says where the settings and the log are" \
  bash -c 'grep -q "^run: settings .*lumenhollow.ini$" <<<"$1" && grep -q "^run: log  .*log.txt$" <<<"$1"' _ "$output"
check "it leaves a screenshot of the desktop" test -s "$build/run/desktop.png"
check "it leaves a screenshot of the library page" test -s "$build/run/library.png"
if grep -q VideoRenderer "$root/src/render/renderer_factory_win.cpp"; then
  check "it leaves a screenshot of the screensaver" test -s "$build/run/screensaver.png"
else
  echo "skip it leaves a screenshot of the screensaver: this build has no video renderer"
fi
echo "run: $passed passed, $failed failed"
[ $failed -eq 0 ]
