#!/usr/bin/env bash
# Install what is missing, build, and run every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
cd build
ctest --output-on-failure --parallel "$(nproc)" "$@"
