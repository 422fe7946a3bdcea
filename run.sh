#!/usr/bin/env bash
# Install what is missing, build, and start Velmora.
set -euo pipefail
cd "$(dirname "$0")"
scripts/build.sh
if [[ -x build/bin/velmora ]]; then
  cd build/bin && exec ./velmora "$@"
fi
echo "Velmora is built, but the program cannot start yet: its windows are not written." >&2
exit 1
