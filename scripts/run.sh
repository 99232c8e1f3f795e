#!/usr/bin/env bash
# Install, build, create the database on first run, start the application.
# The working folder is work/ in the repository: data/qczl.db, jpg/ and system.ini live there.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
mkdir -p work
cd work
[ -f data/qczl.db ] || ../build/app/velmira --create-db data/qczl.db
exec ../build/app/velmira "$@"
