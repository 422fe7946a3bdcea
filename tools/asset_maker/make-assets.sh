#!/usr/bin/env bash
# Remakes every picture, sound and text the program carries, into app/assets/. The results
# are committed, so the build never runs this; run it after changing one of the makers.
# Needs ImageMagick and python3 (VELMORA_ASSETS=ON scripts/install-deps.sh installs them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../app/assets}
mkdir -p "$out"
"$here/make-home.sh" "$out/home.jpg"
"$here/make-splash.sh" "$out/splash.gif"
"$here/make-pictures.sh" "$out"
python3 "$here/make-chime.py" "$out/splash.wav"
python3 "$here/make-captions.py" "$here/captions.utf8.txt" "$out/captions.txt"
"$here/make-sample-photo.sh" "$out/sample.jpg"
