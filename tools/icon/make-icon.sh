#!/usr/bin/env bash
# Draws the program icon: a glowing lantern-like orb over a dusk gradient in a
# rounded tile, rendered at 256 px and scaled to every size Windows asks for.
set -euo pipefail
out=${1:-res/lumenhollow.ico}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size 256x256 gradient:'#1b1440'-'#e0765a' "$tmp/sky.png"
convert -size 256x256 xc:none -fill white -draw 'roundrectangle 8,8 248,248 52,52' "$tmp/mask.png"
convert -size 256x256 xc:none \
  -fill 'rgba(255,214,150,0.35)' -draw 'circle 128,118 128,34' \
  -fill 'rgba(255,226,170,0.6)' -draw 'circle 128,118 128,56' \
  -fill '#fff4d8' -draw 'circle 128,118 128,76' \
  -fill '#1b1440' -draw 'circle 146,104 146,66' \
  -blur 0x1 "$tmp/orb.png"
convert -size 256x256 xc:none -fill 'rgba(12,8,30,0.55)' \
  -draw 'path "M 8,200 C 70,160 120,210 170,180 S 230,170 248,176 L 248,248 L 8,248 Z"' "$tmp/hill.png"
convert "$tmp/sky.png" "$tmp/orb.png" -composite "$tmp/hill.png" -composite \
  "$tmp/mask.png" -compose DstIn -composite "$tmp/icon256.png"
convert "$tmp/icon256.png" -define icon:auto-resize=256,128,64,48,32,24,16 "$out"
