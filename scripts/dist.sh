#!/usr/bin/env bash
# `make dist`: the program as a Windows user gets it. dist/Lumenhollow/ holds
# lumenhollow.exe, the library page (ui/) and the sample wallpapers with their
# thumbnails; it is zipped as dist/Lumenhollow-VERSION-win64.zip and packed
# into the per-user installer dist/Lumenhollow-VERSION-setup.exe.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
win=$(realpath "${1:-$root/build/win}")
build=$(realpath -m "${LH_BUILD:-$root/build}")
dist=${LH_DIST:-$root/dist}
version=$(sed -n 's/^#define LH_VERSION_TEXT "\(.*\)"$/\1/p' "$root/src/base/version.h")
[ -n "$version" ] || { echo "dist: no version in src/base/version.h" >&2; exit 1; }

"$here/samples.sh"

out=$dist/Lumenhollow
zip=$dist/Lumenhollow-$version-win64.zip
setup=$dist/Lumenhollow-$version-setup.exe
mkdir -p "$dist"
rm -rf "$out" "$dist"/Lumenhollow-*-win64.zip "$dist"/Lumenhollow-*-setup.exe
mkdir -p "$out/wallpapers/thumbs"
cp "$win/lumenhollow.exe" "$out/"
cp -r "$root/ui" "$out/ui"
for video in "$build"/wallpapers/*.mp4; do
  name=$(basename "$video")
  cp "$video" "$out/wallpapers/"
  cp "$build/wallpapers/thumbs/$name.jpg" "$out/wallpapers/thumbs/"
done

# Fixed times and order make the zip the same for the same files.
find "$out" -exec touch -h -d 2000-01-01T00:00:00Z {} +
(cd "$dist" && find Lumenhollow | LC_ALL=C sort | zip -qX -@ "$zip")

makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSOURCE="$out" -DOUTFILE="$setup" \
  -DSIZE_KB="$(du -sk "$out" | cut -f1)" "$root/res/setup.nsi"

for f in "$zip" "$setup"; do
  echo "dist: $f ($(du -h "$f" | cut -f1), $(stat -c %s "$f") bytes)"
done
