#!/usr/bin/env bash
# Draws TELK's icon (a save disk with a "T" on its label) and packs it into
# telk.ico at the sizes Windows asks for from 100 % to 200 % scale.
# Needs ImageMagick 6 (convert). Run from anywhere; writes beside itself.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn once at 256 px; each size is a box-filtered reduction of it.
convert -size 256x256 xc:none \
  -fill '#1f4e8c' -stroke '#0f2a4f' -strokewidth 8 -draw 'roundrectangle 12,12 244,244 28,28' \
  -stroke none \
  -fill '#cfd5dc' -draw 'rectangle 70,12 186,98' \
  -fill '#1f4e8c' -draw 'rectangle 140,28 168,84' \
  -fill '#ffffff' -draw 'roundrectangle 44,118 212,236 14,14' \
  -fill '#c62828' -draw 'rectangle 70,134 186,166' \
  -fill '#c62828' -draw 'rectangle 112,134 144,224' \
  "$work/telk-256.png"

sizes=(16 20 24 32 40 48 64)
files=()
for s in "${sizes[@]}"; do
  convert "$work/telk-256.png" -filter Box -resize "${s}x${s}" "$work/telk-$s.png"
  files+=("$work/telk-$s.png")
done
convert "${files[@]}" "$here/telk.ico"
