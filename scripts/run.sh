#!/usr/bin/env bash
# Install, build, create the database on first run, start the application.
# The working folder is work/ in the repository: data/qczl.db, jpg/ and system.ini live there.
# Arguments go to the program (--demo starts the demo office instead).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
mkdir -p work
[ -f work/data/qczl.db ] || build/app/velmira --create-db work/data/qczl.db
exec build/app/velmira --workdir work "$@"
