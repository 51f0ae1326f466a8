#!/usr/bin/env bash
# Fuzzes the library bridge for a bounded time (FUZZ_SECONDS, 60 by default):
# page commands and state messages over arbitrary screens, files and settings.
# The corpus is kept in the build folder, so each run starts where the last ended.
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${LH_BUILD:-$PWD/build}
seconds=${FUZZ_SECONDS:-60}
out=$build/fuzz
mkdir -p "$out/corpus"

if ! { cmake -S tests/fuzz -B "$out/build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         >/dev/null && cmake --build "$out/build"; } >"$out/build.log" 2>&1; then
  tail -n 30 "$out/build.log"
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi

"$out/build/library_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" >"$out/fuzz.log" 2>&1
status=$?
grep -E '^stat::number_of_executed_units|^Done [0-9]+ runs' "$out/fuzz.log" | tail -n 2
if [ $status -ne 0 ]; then
  tail -n 40 "$out/fuzz.log"
  echo "fuzz: crash input kept in $out/ (crash-*)"
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi
echo "fuzz: 1 passed, 0 failed"
