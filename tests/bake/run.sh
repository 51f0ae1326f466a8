#!/usr/bin/env bash
# End-to-end checks of lumenhollow-bake: real pictures, the real libav encoder,
# and ffprobe/ffmpeg reading back what it wrote.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../.." && pwd)
build=${LH_BUILD:-$repo/build}
native=$build/native
if [ ! -f "$native/build.ninja" ]; then
  cmake -S "$repo" -B "$native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null || exit 1
fi
cmake --build "$native" --target lumenhollow-bake >/dev/null || { echo "bake: build failed"; echo "0 passed, 1 failed"; exit 1; }
tool=$native/lumenhollow-bake

work=$build/bake-e2e
rm -rf "$work"
mkdir -p "$work/tmp"
export TMPDIR=$work/tmp
cd "$work"
passed=0 failed=0
check() {  # check NAME CONDITION...
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}
probe() { ffprobe -v error -select_streams v:0 -count_frames -show_entries "stream=$1" -of csv=p=0 "$2"; }

# A smooth generated picture: 1280x720 bakes at its own size.
ffmpeg -v error -f lavfi -i "gradients=s=1280x720:seed=5:nb_colors=4,format=rgb24" -frames:v 1 picture.png
head -c 20000 /dev/urandom > broken.jpg

"$tool" picture.png --preset snowfall -o baked.mp4 2>/dev/null
status=$?
check "bake exits 0" test $status -eq 0
check "bake is H.264 in MP4" test "$(probe codec_name baked.mp4)" = h264
check "bake runs at 30 fps" test "$(probe r_frame_rate baked.mp4)" = 30/1
check "bake has 360 frames" test "$(probe nb_read_frames baked.mp4)" = 360
check "bake lasts 12.0 s" test "$(ffprobe -v error -show_entries format=duration -of csv=p=0 baked.mp4)" = 12.000000
check "bake has the picture's size" test "$(probe width,height baked.mp4)" = 1280,720
check "no temporary file is left" test -z "$(ls | grep baking || true)"

# The decoded first frame against RenderFrame(0), both as 4:2:0.
size=$("$tool" --frame-nv12 picture.png snowfall 0 frame0.nv12)
psnr=$(ffmpeg -v info -i baked.mp4 -f rawvideo -pix_fmt nv12 -s "$size" -i frame0.nv12 \
  -lavfi "[0:v]trim=end_frame=1,format=yuv420p[a];[1:v]format=yuv420p[b];[a][b]psnr" -f null - 2>&1 |
  grep -o 'average:[0-9.inf]*' | head -n1 | cut -d: -f2)
echo "     first frame PSNR ${psnr:-none} dB"
check "first frame matches the effect (PSNR >= 35 dB)" awk -v p="${psnr:-0}" 'BEGIN { exit !(p == "inf" || p + 0 >= 35) }'

# A JPEG whose EXIF orientation says "turn clockwise" bakes upright: portrait.
ffmpeg -v error -f lavfi -i "gradients=s=640x360:seed=2,format=yuvj420p" -frames:v 1 flat.jpg
{ head -c 2 flat.jpg
  printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01'
  printf '\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00\x00\x00\x00\x00'
  tail -c +3 flat.jpg; } > turned.jpg
check "EXIF orientation 6 turns the picture" test "$("$tool" --frame-nv12 turned.jpg 0 0 turned.nv12)" = 720x1280
check "a picture without EXIF stays as it is" test "$("$tool" --frame-nv12 flat.jpg 0 0 flat.nv12)" = 1280x720

# A failed or interrupted re-bake leaves the earlier video as it was.
before=$(md5sum < baked.mp4)
"$tool" broken.jpg --preset snowfall -o baked.mp4 2>/dev/null
check "re-bake of an unreadable picture exits 4" test $? -eq 4
check "... and keeps the earlier video" test "$(md5sum < baked.mp4)" = "$before"
"$tool" picture.png --preset snowfall -o baked.mp4 2>/dev/null &
pid=$!
for _ in $(seq 100); do [ -s baked.baking.mp4 ] && break; sleep 0.1; done
kill -INT $pid
wait $pid
status=$?
check "interrupted re-bake stops with 130" test $status -eq 130
check "... keeps the earlier video" test "$(md5sum < baked.mp4)" = "$before"
check "... and removes its temporary file" test ! -e baked.baking.mp4

# Killed at random moments during re-bakes (small ones, so fifty stay quick):
# the final name always holds the earlier video or a whole new one.
"$tool" picture.png --preset breathe --size 256 -o earlier.mp4 2>/dev/null
t0=$(date +%s%N)
"$tool" picture.png --preset sparkle --size 256 -o small.mp4 2>/dev/null
span_ms=$(( ($(date +%s%N) - t0) / 1000000 + 50 ))
# The earlier video differs from what the re-bakes make, so a finished one shows.
mv earlier.mp4 small.mp4
before=$(md5sum < small.mp4)
kills=0 torn=0 replaced=0 tries=0
# Fifty kills that land mid-bake; a bake that finishes first does not count.
while [ $kills -lt 50 ] && [ $tries -lt 90 ]; do
  tries=$((tries + 1))
  "$tool" picture.png --preset sparkle --size 256 -o small.mp4 2>/dev/null &
  pid=$!
  # Within the first two thirds of a bake's time, so most land while it runs even as the load changes.
  sleep "$(awk -v r=$RANDOM -v s=$span_ms 'BEGIN { printf "%.3f", r / 32767 * s * 2 / 3 / 1000 }')"
  kill -KILL $pid 2>/dev/null
  wait $pid 2>/dev/null
  [ $? -eq 137 ] && kills=$((kills + 1))  # killed, not finished first
  now=$(md5sum < small.mp4)
  if [ "$now" != "$before" ]; then
    # Only a finished bake may change it, and then the video is whole.
    if [ "$(probe nb_read_frames small.mp4)" = 360 ]; then replaced=$((replaced + 1)); before=$now; else torn=$((torn + 1)); fi
  fi
done
echo "     $tries re-bakes of ~${span_ms} ms: $kills killed mid-way, $((tries - kills)) finished first ($replaced changed the video)"
check "killed re-bakes never tear the video under the final name" test $torn -eq 0
check "... in fifty kills during the bakes" test $kills -ge 50
rm -f small.baking.mp4

# Previews: eleven files once; a second run reuses them untouched.
"$tool" --previews picture.png previews > first.txt 2>/dev/null
check "previews exit 0" test $? -eq 0
check "eleven previews" test "$(ls previews/*.mp4 2>/dev/null | wc -l)" -eq 11
check "previews are 480 wide, 12 fps, 144 frames" test "$(probe width,r_frame_rate,nb_read_frames "$(ls previews/*-10.mp4)")" = "480,12/1,144"
stamp=$(stat -c '%i %Y %s' previews/*.mp4 | md5sum)
"$tool" --previews picture.png previews > second.txt 2>/dev/null
check "second previews run lists eleven" test "$(wc -l < second.txt)" -eq 11
check "second previews run changes nothing" test "$(stat -c '%i %Y %s' previews/*.mp4 | md5sum)" = "$stamp"
check "no temporary preview is left" test -z "$(ls previews | grep baking || true)"

# The child protocol with the libav encoder: its failure step and a good bake.
touch plainfile
"$tool" --bake "3 480 picture.png|$work/plainfile/out.mp4   "
check "child: unwritable output exits 11" test $? -eq 11
err=$(cat "$TMPDIR/lh-bake-err.txt" 2>/dev/null)
echo "     error file: $err"
check "child: error file names step 1 and the output" \
  bash -c '[[ "$1" =~ ^encode\ step\ 1\ hr\ 0x[0-9a-f]{8}\ out=\[.*/plainfile/out\.mp4\]$ ]]' _ "$err"
"$tool" --bake "10 480 picture.png|child.mp4"
check "child: a good line bakes at the given size" test "$(probe width,height,nb_read_frames child.mp4)" = "480,270,360"

echo "bake: $passed passed, $failed failed"
[ $failed -eq 0 ]
