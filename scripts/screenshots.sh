#!/usr/bin/env bash
# Starts the application offscreen on a fresh database in a temporary working folder and saves
# pictures of the login dialog and of the main window after login into docs/screenshots/.
# Usage: scripts/screenshots.sh [build folder]   (default: build; built first when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
build=${1:-build}
if [ ! -x "$build/app/velmira" ]; then
  scripts/deps.sh
  cmake -S . -B "$build" -G Ninja >/dev/null
  cmake --build "$build" --target velmira
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" docs/screenshots
"$root/$build/app/velmira" --create-db "$work/data/qczl.db" >/dev/null
cd "$work"
QT_QPA_PLATFORM=offscreen "$root/$build/app/velmira" --screenshots "$root/docs/screenshots"
