#!/usr/bin/env bash
# Applies .clang-format (clang-format 14) to the C++ sources in place; with --check only lists the
# files it would change.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--check" ]; then
  for f in "${files[@]}"; do
    clang-format --style=file "$f" | cmp -s - "$f" || echo "$f"
  done
else
  clang-format -i --style=file "${files[@]}"
fi
