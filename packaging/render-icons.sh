#!/usr/bin/env bash
# Renders the hicolor PNG sizes of the icon from velmira.svg into icons/<size>/velmira.png.
# Run after changing the SVG and commit the pictures with it (needs rsvg-convert: librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  mkdir -p "icons/$size"
  rsvg-convert -w "$size" -h "$size" velmira.svg -o "icons/$size/velmira.png"
done
