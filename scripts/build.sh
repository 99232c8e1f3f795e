#!/usr/bin/env bash
# Configure and build with Ninja (and ccache when present) into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
# Paths relative to the checkout, so that another clone of the same sources hits the same cache.
export CCACHE_BASEDIR="$PWD"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build -j "$(nproc)"
