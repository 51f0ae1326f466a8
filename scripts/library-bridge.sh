#!/usr/bin/env bash
# Shows the running program's library page in Debian's Chromium through the test
# web-view runtime's bridge (tools/library-bridge/show-library.js has the options):
#
#   scripts/library-bridge.sh --port-file /tmp/port --screenshot shot.png &
#   LH_FAKEWEBVIEW_BRIDGE=$(cat /tmp/port) \
#   WEBVIEW2_BROWSER_EXECUTABLE_FOLDER=<folder with EBWebView\x64> wine lumenhollow.exe
#
# The program reaches 127.0.0.1 only; the bridge ends when the program's web views
# close, after --seconds, or on Ctrl+C.
set -euo pipefail
bridge=$(cd "$(dirname "$0")/../tools/library-bridge" && pwd)
"$(dirname "$0")/browser-deps.sh" library-bridge "$bridge" || exit 1
exec node "$bridge/show-library.js" "$@"
