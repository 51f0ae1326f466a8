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
"$(dirname "$0")/browser-deps.sh" library-bridge "$e2e" || exit 1
exec node "$e2e/show-library.js" "$@"
