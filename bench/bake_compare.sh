#!/usr/bin/env bash
# A whole 12-second 1080p bake of one picture: lumenhollow-bake with Snowfall
# beside the usual ffmpeg Ken Burns recipe (zoompan after a 2x upscale,
# libx264 at its defaults, the same bit rate), each pair run back to back
# LH_BAKE_RUNS times (3) so that a busy machine shows as spread. Prints wall
# times, their ratio against its target, and the first frame's PSNR.
set -euo pipefail
native=$(realpath "${1:-build/native}")
runs=${LH_BAKE_RUNS:-3}
cmake --build "$native" --target lumenhollow-bake >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
ffmpeg -v error -f lavfi -i "gradients=s=1920x1080:seed=11,format=rgb24" -frames:v 1 picture.png
now() { date +%s.%N; }
spread() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "%.2f / %.2f / %.2f", v[1], v[int((NR + 1) / 2)], v[NR] }'; }

ours=() theirs=() ratios=()
for _ in $(seq "$runs"); do
  t0=$(now)
  "$native/lumenhollow-bake" picture.png --preset snowfall -o ours.mp4 2>/dev/null
  t1=$(now)
  ffmpeg -v error -y -loop 1 -i picture.png \
    -vf "scale=3840:2160,zoompan=z='min(zoom+0.0015,1.5)':d=360:x='iw/2-(iw/zoom/2)':y='ih/2-(ih/zoom/2)':s=1920x1080:fps=30" \
    -frames:v 360 -c:v libx264 -b:v 6842880 -pix_fmt yuv420p theirs.mp4
  t2=$(now)
  ours+=("$(awk -v a="$t0" -v b="$t1" 'BEGIN { print b - a }')")
  theirs+=("$(awk -v a="$t1" -v b="$t2" 'BEGIN { print b - a }')")
  ratios+=("$(awk -v a="${ours[-1]}" -v b="${theirs[-1]}" 'BEGIN { print a / b }')")
done

size=$("$native/lumenhollow-bake" --frame-nv12 picture.png snowfall 0 frame0.nv12)
psnr=$(ffmpeg -v info -i ours.mp4 -f rawvideo -pix_fmt nv12 -s "$size" -i frame0.nv12 \
  -lavfi "[0:v]trim=end_frame=1,format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr" -f null - 2>&1 |
  grep -o 'average:[0-9.inf]*' | head -n1 | cut -d: -f2)

printf 'whole bake, 1920x1080, 360 frames (wall time, %s cores, min / median / max of %s runs)\n' "$(nproc)" "$runs"
printf '  lumenhollow-bake Snowfall       %s s  (%s bytes, md5 %s)\n' "$(spread "${ours[@]}")" \
  "$(stat -c %s ours.mp4)" "$(md5sum < ours.mp4 | cut -c1-12)"
printf '  ffmpeg zoompan + libx264        %s s  (%s bytes)\n' "$(spread "${theirs[@]}")" "$(stat -c %s theirs.mp4)"
printf '  ratio ours / ffmpeg             %s      target <= 0.20\n' "$(spread "${ratios[@]}")"
printf '  first frame PSNR against RenderFrame(0)   %s dB\n' "${psnr:-none}"
