#!/usr/bin/env bash
# A whole 12-second 1080p bake of one picture: lumenhollow-bake with Snowfall
# beside the usual ffmpeg Ken Burns recipe (zoompan after a 2x upscale,
# libx264 at its defaults, the same bit rate). Prints wall times.
set -euo pipefail
native=$(realpath "${1:-build/native}")
cmake --build "$native" --target lumenhollow-bake >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ffmpeg -v error -f lavfi -i "gradients=s=1920x1080:seed=11,format=rgb24" -frames:v 1 picture.png
now() { date +%s.%N; }

t0=$(now)
"$native/lumenhollow-bake" picture.png --preset snowfall -o ours.mp4 2>/dev/null
t1=$(now)
ffmpeg -v error -y -loop 1 -i picture.png \
  -vf "scale=3840:2160,zoompan=z='min(zoom+0.0015,1.5)':d=360:x='iw/2-(iw/zoom/2)':y='ih/2-(ih/zoom/2)':s=1920x1080:fps=30" \
  -frames:v 360 -c:v libx264 -b:v 6842880 -pix_fmt yuv420p theirs.mp4
t2=$(now)

ours=$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')
theirs=$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')
printf 'whole bake, 1920x1080, 360 frames (wall time, %s cores)\n' "$(nproc)"
printf '  lumenhollow-bake Snowfall       %7.2f s  (%s bytes)\n' "$ours" "$(stat -c %s ours.mp4)"
printf '  ffmpeg zoompan + libx264        %7.2f s  (%s bytes)\n' "$theirs" "$(stat -c %s theirs.mp4)"
printf '  ratio ours / ffmpeg             %7.2f\n' "$(awk -v a="$ours" -v b="$theirs" 'BEGIN { print a / b }')"
