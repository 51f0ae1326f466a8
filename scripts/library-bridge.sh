#!/usr/bin/env bash
# Shows the running program's library page in Debian's Chromium through the test
# web-view runtime's bridge (tests/e2e/show-library.js has the options):
#
#   scripts/library-bridge.sh --port-file /tmp/port --screenshot shot.png &
#   LH_FAKEWEBVIEW_BRIDGE=$(cat /tmp/port) \
#   WEBVIEW2_BROWSER_EXECUTABLE_FOLDER=<folder with EBWebView\x64> wine lumenhollow.exe
#
# The program reaches 127.0.0.1 only; the bridge ends when the program's web views
# close, after --seconds, or on Ctrl+C.
set -euo pipefail
e2e=$(cd "$(dirname "$0")/../tests/e2e" && pwd)
if [ ! -x /usr/bin/chromium ] || ! command -v node >/dev/null; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends chromium nodejs npm >/dev/null
fi
[ -d "$e2e/node_modules/playwright-core" ] || (cd "$e2e" && npm ci --no-audit --no-fund --loglevel=error)
exec node "$e2e/show-library.js" "$@"
