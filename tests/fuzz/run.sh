#!/usr/bin/env bash
# Fuzzes every parser of outside input, one target after the other:
#   FUZZ_SECONDS=N  each target for N seconds (20 by default, as in make test)
#   FUZZ_RUNS=N     each target for N executions (make fuzz: 10 million)
#   FUZZ_TARGETS    a space-separated subset (settings_fuzz gif_fuzz ...)
# Each target starts from its committed seeds (tests/fuzz/corpus/<target>);
# long runs (FUZZ_RUNS) also from the corpus earlier long runs grew in the
# build folder, while brief runs start afresh so make test keeps its time.
set -uo pipefail
cd "$(dirname "$0")/../.."
build=${LH_BUILD:-$PWD/build}
out=$build/fuzz
mkdir -p "$out"

if ! { cmake -S tests/fuzz -B "$out/build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
         >/dev/null && cmake --build "$out/build"; } >"$out/build.log" 2>&1; then
  tail -n 30 "$out/build.log"
  echo "fuzz: 0 passed, 1 failed"
  exit 1
fi

targets=${FUZZ_TARGETS:-$(cd tests/fuzz && ls *_fuzz.cpp | sed 's/\.cpp$//')}
if [ -n "${FUZZ_RUNS:-}" ]; then limit=(-runs="$FUZZ_RUNS"); else limit=(-max_total_time="${FUZZ_SECONDS:-20}"); fi
passed=0 failed=0
for t in $targets; do
  seeds=tests/fuzz/corpus/$t
  corpus=$out/corpus/$t
  if [ -z "${FUZZ_RUNS:-}" ]; then corpus=$out/brief/$t; rm -rf "$corpus"; fi
  mkdir -p "$corpus" "$out/crash/$t"
  t0=$(date +%s)
  "$out/build/$t" "${limit[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$out/crash/$t/" "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) >"$out/$t.log" 2>&1
  status=$?
  runs=$(grep -oE '^stat::number_of_executed_units: *[0-9]+' "$out/$t.log" | grep -oE '[0-9]+$' | tail -n1)
  echo "$t: ${runs:-?} executions in $(( $(date +%s) - t0 )) s, $(ls "$corpus" | wc -l) new inputs"
  if [ $status -ne 0 ]; then
    grep -E 'ERROR|SUMMARY|^[a-z].*(range|finite|lost|canvas|bar|blank|size|rule|delay|budget)' "$out/$t.log" | head -n 10
    echo "$t: crash input kept in $out/crash/$t/"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ $failed -eq 0 ]
