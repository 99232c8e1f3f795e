#!/usr/bin/env bash
# Starts the application offscreen on the demo office in a temporary working folder and saves
# pictures of the login dialog, the main window after login, the vehicle planner and the first page
# of the three papers of one demo contract (agreement, handover sheet, receipt) into
# docs/screenshots/, and the user manual's pictures (those and the windows it describes, in an
# 8-bit palette) into docs/manual/images/.
# Usage: scripts/screenshots.sh [build folder]   (default: build; built first when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
if [ ! -x "$build/app/velmira" ] || [ ! -x "$build/tools/velmira_demo" ]; then
  scripts/deps.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target velmira velmira_demo
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" docs/screenshots docs/manual/images
"$root/$build/tools/velmira_demo" "$work/data/qczl.db" >/dev/null
cd "$work"
QT_QPA_PLATFORM=offscreen "$root/$build/app/velmira" --workdir "$work" --screenshots "$root/docs/screenshots" \
  --manual-images "$root/docs/manual/images"
# The papers as printed: the first page of each PDF as a picture, the PDF itself not kept.
cd "$root/docs/screenshots"
for paper in agreement handover receipt; do
  if [ -f "$paper.pdf" ]; then
    pdftoppm -png -r 80 -singlefile "$paper.pdf" "$paper"
    # The manual shows the papers smaller, in shades of grey.
    pdftoppm -png -gray -r 60 -singlefile "$paper.pdf" "$root/docs/manual/images/$paper"
    rm -f "$paper.pdf"
  fi
done
