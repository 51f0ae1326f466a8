#!/usr/bin/env bash
# The sample wallpapers, built into $LH_BUILD/wallpapers: lumenhollow-samples
# paints the pictures, lumenhollow-bake animates each with its preset into a
# 1920x1080 video, and the first frame becomes the thumbnail. A video whose
# picture and preset have not changed is not baked again, so every build folder
# bakes once. Bake times are kept in $LH_BUILD/samples/bake-times.txt.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(realpath -m "${LH_BUILD:-$root/build}")
native=$build/native
work=$build/samples
walls=$build/wallpapers
size=1920

mkdir -p "$work" "$walls/thumbs"
# Two builds in one folder (make run beside make dist) take turns.
exec 9>"$work/.lock"
flock 9

if [ ! -f "$native/build.ninja" ]; then
  cmake -S "$root" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$native" --target lumenhollow-samples lumenhollow-bake >/dev/null
painter=$native/lumenhollow-samples
baker=$native/lumenhollow-bake

# One picture and one bake per core: both run on one thread.
jobs=$(nproc)
mapfile -t scenes < <("$painter" --list)
stale=()
for line in "${scenes[@]}"; do
  [ "$work/${line%% *}.png" -nt "$painter" ] || stale+=("${line%% *}")
done
if [ ${#stale[@]} -gt 0 ]; then
  start=$(date +%s)
  printf '%s\n' "${stale[@]}" | xargs -P "$jobs" -I{} "$painter" "$work" {}
  echo "samples: painted ${#stale[@]} pictures in $(( $(date +%s) - start )) s"
fi
bake_one() {
  local name=$1 preset=$2
  local key; key="$(sha256sum < "$work/$name.png" | cut -c1-64) $preset $size"
  if [ -f "$walls/$name.mp4" ] && [ -f "$walls/thumbs/$name.mp4.jpg" ] &&
     [ "$(cat "$work/$name.key" 2>/dev/null)" = "$key" ]; then
    return 0
  fi
  local start; start=$(date +%s.%N)
  rm -f "$work/$name.key"
  if ! "$baker" "$work/$name.png" --preset "$preset" --size $size -o "$work/$name.mp4" 2>"$work/$name.log"; then
    echo "samples: baking $name failed:"; cat "$work/$name.log"; return 1
  fi
  ffmpeg -v error -y -i "$work/$name.mp4" -frames:v 1 -vf scale=640:-2 -q:v 3 "$work/$name.mp4.jpg"
  mv "$work/$name.mp4" "$walls/$name.mp4"
  mv "$work/$name.mp4.jpg" "$walls/thumbs/$name.mp4.jpg"
  echo "$key" > "$work/$name.key"
  local took; took=$(awk -v a="$start" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }')
  echo "$name $preset $took" >> "$work/bake-times.txt"
  echo "samples: baked $name.mp4 ($preset) in $took s"
}
failed=0
running=0
for line in "${scenes[@]}"; do
  bake_one ${line} &
  running=$((running + 1))
  if [ $running -ge "$jobs" ]; then wait -n || failed=1; running=$((running - 1)); fi
done
while [ $running -gt 0 ]; do wait -n || failed=1; running=$((running - 1)); done
[ $failed -eq 0 ] || exit 1
echo "samples: ${#scenes[@]} videos in $walls"
