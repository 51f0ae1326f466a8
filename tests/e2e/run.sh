#!/usr/bin/env bash
# End-to-end tests: the real library page in headless Debian Chromium against the
# real lumenhollow.exe under Wine, joined by the test web-view runtime's bridge, on
# a private Xvfb and Wine prefix (winerun.sh ends what Wine started). Ends with
# "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
export LH_BUILD=${LH_BUILD:-$repo/build}
export LH_WIN=${LH_WIN:-$LH_BUILD/win}
out=$LH_BUILD/e2e
mkdir -p "$out"

"$repo/scripts/browser-deps.sh" e2e "$repo/tools/library-bridge" || { echo "0 passed, 1 failed"; exit 1; }
status=0
# Brings what the tests run up to date (nothing to do after `make wine`).
if [ -f "$LH_WIN/build.ninja" ]; then
  cmake --build "$LH_WIN" --target lumenhollow shellsim lhctl fakewebview e2e_surfaces >"$out/build.log" 2>&1 ||
    { echo "e2e: the Windows build failed, see $out/build.log"; status=1; }
fi

# One program and one browser at a time.
tap=$out/results.tap
: >"$tap"
"$repo/scripts/winerun.sh" --prefix "$LH_BUILD/wineprefix-e2e" --timeout 900 -- \
  node --test --test-concurrency=1 --test-reporter=dot --test-reporter-destination=stdout \
  --test-reporter=tap --test-reporter-destination="$tap" "$here/bridge.test.js" "$here/library.test.js" || status=1
pass=$(grep -E '^# pass ' "$tap" | awk '{print $3}' | tail -n1)
fail=$(grep -E '^# fail ' "$tap" | awk '{print $3}' | tail -n1)
pass=${pass:-0}; fail=${fail:-0}
[ "$status" -ne 0 ] && [ "$fail" -eq 0 ] && fail=1
echo "e2e: TAP output in $tap"
echo "$pass passed, $fail failed"
[ "$status" -eq 0 ] && [ "$fail" -eq 0 ]
