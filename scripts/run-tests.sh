#!/usr/bin/env bash
# Every test, in order: the seam check, the native unit tests, the Windows
# build with its Wine integration tests, then each other suite's tests/*/run.sh.
# Ends with one line counting every test case of every suite.
set -uo pipefail
cd "$(dirname "$0")/.."
export LH_BUILD=${LH_BUILD:-$PWD/build}
log=$LH_BUILD/test-output.log
mkdir -p "$LH_BUILD"
: > "$log"
passed=0 failed=0 broken=()
start=$(date +%s)

# Runs one suite, showing and keeping its output; counts what its runner reports.
suite() {
  local name=$1; shift
  local t0=$(date +%s)
  echo "== $name"
  local out; out=$(mktemp)
  "$@" 2>&1 | tee "$out" | tee -a "$log"
  local status=${PIPESTATUS[0]}
  local p f
  p=$(grep -aoE '^\[  PASSED  \] [0-9]+ test' "$out" | grep -oE '[0-9]+' | awk '{s+=$1} END {print s+0}')
  f=$(grep -aoE '^\[  FAILED  \] [0-9]+ test' "$out" | grep -oE '[0-9]+' | awk '{s+=$1} END {print s+0}')
  local plain; plain=$(grep -aoE '^([a-z]+: )?[0-9]+ passed, [0-9]+ failed' "$out" | tail -n1)
  if [ -n "$plain" ]; then
    p=$(( ${p:-0} + $(sed -E 's/.* ?([0-9]+) passed.*/\1/' <<<"$plain") ))
    f=$(( ${f:-0} + $(sed -E 's/.*passed, ([0-9]+) failed.*/\1/' <<<"$plain") ))
  fi
  passed=$(( passed + ${p:-0} )); failed=$(( failed + ${f:-0} ))
  [ "$status" -ne 0 ] && broken+=("$name")
  echo "== $name: exit $status in $(( $(date +%s) - t0 )) s"
  rm -f "$out"
}

suite seam scripts/seam-check.sh
suite unit make --no-print-directory unit
suite wine make --no-print-directory wine
for runner in tests/*/run.sh; do
  name=$(basename "$(dirname "$runner")")
  [ "$name" = wine ] && continue
  suite "$name" "$runner"
done

echo "== all suites in $(( $(date +%s) - start )) s; output kept in $log"
if [ ${#broken[@]} -gt 0 ]; then
  echo "failing suites: ${broken[*]}"
  [ "$failed" -eq 0 ] && failed=${#broken[@]}
fi
echo "$passed passed, $failed failed"
[ ${#broken[@]} -eq 0 ]
