#!/usr/bin/env bash
# Install, build and make the Debian package in build/; prints the package's path.
# Install it with: sudo apt install ./build/velmira_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh >&2
scripts/build.sh >&2
cd build
cpack -G DEB >&2
ls -t "$PWD"/velmira_*.deb | head -n 1
