#!/usr/bin/env bash
# Install what is missing, build, and start Velmora.
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
cd build/bin && exec ./velmora "$@"
