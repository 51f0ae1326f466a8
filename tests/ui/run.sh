#!/usr/bin/env bash
# Page tests of the library window: headless Debian Chromium driven by playwright-core.
# Installs what is missing (chromium, Node.js, the library bridge's npm packages), runs every
# *.test.js with Node's test runner and ends with "N passed, N failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cd "$here"
export LH_BUILD=${LH_BUILD:-$(cd ../.. && pwd)/build}

"$here/../../scripts/browser-deps.sh" ui "$here/../../tools/library-bridge" || { echo "0 passed, 1 failed"; exit 1; }

mkdir -p "$LH_BUILD/ui"
tap=$LH_BUILD/ui/results.tap
# One browser per file, one file at a time: the machine has two cores.
node --test --test-concurrency=1 \
  --test-reporter=dot --test-reporter-destination=stdout \
  --test-reporter=tap --test-reporter-destination="$tap" \
  ./*.test.js
status=$?
pass=$(grep -E '^# pass ' "$tap" | awk '{print $3}' | tail -n1)
fail=$(grep -E '^# fail ' "$tap" | awk '{print $3}' | tail -n1)
pass=${pass:-0}; fail=${fail:-0}
if [ "$status" -ne 0 ] && [ "$fail" -eq 0 ]; then fail=1; fi
echo "screenshots: $LH_BUILD/ui/library-1180x780.png $LH_BUILD/ui/library-860x600.png"
echo "$pass passed, $fail failed"
[ "$status" -eq 0 ] && [ "$fail" -eq 0 ]
