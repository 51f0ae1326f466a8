#!/usr/bin/env bash
# The integration tests: the real lumenhollow.exe under Wine, in a fresh prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
win=$(realpath "${1:-$here/../../build/win}")
exec "$here/../../scripts/winerun.sh" --fresh --timeout 900 -- \
  wine "$win/wine_tests.exe" --gtest_brief=1
