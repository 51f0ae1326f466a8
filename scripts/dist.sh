#!/usr/bin/env bash
# `make dist`: the program with its library page and sample wallpapers, zipped.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$here/..
win=$(realpath "${1:-$root/build/win}")
out=$root/dist/lumenhollow
rm -rf "$out" "$root/dist/lumenhollow.zip"
mkdir -p "$out"
cp "$win/lumenhollow.exe" "$out/"
[ -d "$root/ui" ] && cp -r "$root/ui" "$out/ui"
for dir in "$LH_BUILD/wallpapers" "$root/wallpapers"; do
  [ -d "$dir" ] && { mkdir -p "$out/wallpapers"; cp -r "$dir/." "$out/wallpapers/"; }
done
(cd "$root/dist" && zip -qr lumenhollow.zip lumenhollow)
echo "dist: $(realpath "$root/dist/lumenhollow.zip") ($(du -h "$root/dist/lumenhollow.zip" | cut -f1))"
