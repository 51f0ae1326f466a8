#!/usr/bin/env bash
# End-to-end tests: the real library page in headless Debian Chromium against the
# real lumenhollow.exe under Wine, joined by the test web-view runtime's bridge.
# First the bridge on its own against a fake program, then the program itself on
# a private Xvfb and Wine prefix. Ends with "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
cd "$here"
export LH_BUILD=${LH_BUILD:-$repo/build}
win=${LH_WIN:-$LH_BUILD/win}
export LH_WIN=$win

"$repo/scripts/browser-deps.sh" e2e "$repo/tools/library-bridge" || { echo "0 passed, 1 failed"; exit 1; }

out=$LH_BUILD/e2e
mkdir -p "$out"
files=(bridge.test.js)
status=0
if [ -f "$repo/tools/fakewebview/CMakeLists.txt" ]; then
  # Brings what the tests run up to date (nothing to do after `make wine`).
  if [ -f "$win/build.ninja" ]; then
    cmake --build "$win" --target lumenhollow shellsim lhctl fakewebview e2e_surfaces >"$out/build.log" 2>&1 ||
      { echo "e2e: the Windows build failed, see $out/build.log"; status=1; }
  fi
  files+=(library.test.js)
else
  echo "e2e: no test web-view runtime in this tree; only the bridge runs against a fake program"
fi

# One file at a time: one program, one browser. The program's tests run inside
# winerun.sh, which provides the display and the prefix and ends what Wine started.
pass=0 fail=0
for f in "${files[@]}"; do
  tap=$out/${f%.test.js}.tap
  : >"$tap"
  wrap=()
  [ "$f" = library.test.js ] && wrap=("$repo/scripts/winerun.sh" --prefix "$LH_BUILD/wineprefix-e2e" --timeout 900 --)
  "${wrap[@]}" node --test --test-concurrency=1 \
    --test-reporter=dot --test-reporter-destination=stdout \
    --test-reporter=tap --test-reporter-destination="$tap" "$here/$f"
  s=$?
  p=$(grep -E '^# pass ' "$tap" | awk '{print $3}' | tail -n1)
  n=$(grep -E '^# fail ' "$tap" | awk '{print $3}' | tail -n1)
  p=${p:-0}; n=${n:-0}
  if [ "$s" -ne 0 ]; then status=1; [ "$n" -eq 0 ] && n=1; fi
  pass=$(( pass + p )); fail=$(( fail + n ))
done
echo "e2e: TAP output in $out"
echo "$pass passed, $fail failed"
[ "$status" -eq 0 ] && [ "$fail" -eq 0 ]
