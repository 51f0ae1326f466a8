#!/usr/bin/env bash
# Installs what the build, the tests and the demonstration need, from Debian's
# packages and npm. Quick when everything is there already.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix
  wine wine64 xvfb xauth imagemagick zip
  googletest libgtest-dev libbenchmark-dev nlohmann-json3-dev
)
# Later parts of the program list what they add, one package a line.
for extra in scripts/packages.d/*.txt; do
  [ -f "$extra" ] && mapfile -t -O "${#packages[@]}" packages < <(grep -v '^\s*\(#\|$\)' "$extra")
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo=""; [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
