#!/usr/bin/env bash
# Shared by run.sh and test.sh: install what is missing, configure into build/, build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
build_type=${VELMORA_BUILD_TYPE:-Release}
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
cmake --build build --parallel "$(nproc)"
