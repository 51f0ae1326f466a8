#!/usr/bin/env bash
# What the page tests need, installed when missing: Debian's Chromium, Node.js
# and npm, and the npm packages of the folder given (playwright-core).
# Usage: scripts/browser-deps.sh NAME FOLDER; on failure says so as NAME and exits 1.
set -uo pipefail
name=$1 folder=$2
need=()
[ -x /usr/bin/chromium ] || need+=(chromium)
command -v node >/dev/null || need+=(nodejs)
command -v npm >/dev/null || need+=(npm)
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  echo "$name: installing ${need[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null || {
    echo "$name: could not install ${need[*]}"; exit 1; }
fi
# Every package the folder lists, not just the first: a new one joins on the next run.
if ! (cd "$folder" && node -e "const d = Object.keys(require('./package.json').dependencies || {});
  process.exit(d.every((n) => require('fs').existsSync('node_modules/' + n)) ? 0 : 1)" 2>/dev/null); then
  (cd "$folder" && npm ci --no-audit --no-fund --loglevel=error) || { echo "$name: npm ci failed"; exit 1; }
fi
