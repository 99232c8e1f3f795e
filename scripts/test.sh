#!/usr/bin/env bash
# Install, build and run the whole test suite offscreen, then the engine, money, record-set and rules
# tests again under the sanitizers (scripts/sanitize.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)")
scripts/sanitize.sh
