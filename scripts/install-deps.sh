#!/usr/bin/env bash
# Installs the Debian packages Velmora builds and runs with, only those that are missing.
# Quiet when everything is present; works as root or through sudo.
set -euo pipefail

packages=(
  cmake g++ pkg-config ninja-build
  libsdl2-dev libfreetype-dev libfontconfig-dev libjpeg62-turbo-dev libpng-dev zlib1g-dev
  libcurl4-openssl-dev liblitehtml-dev libfluidsynth-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libgif-dev libturbojpeg0-dev libpixman-1-dev libx11-dev
  fonts-wqy-microhei fonts-arphic-ukai fonts-arphic-uming fonts-crosextra-carlito timgm6mb-soundfont
  libx11-dev xvfb xauth attr python3 clang-format
  # A window manager and real X input for the desktop tests (they skip without them).
  openbox xdotool
)
# Extra tools for the optional builds (fuzzers need clang's libFuzzer and sanitizer runtimes).
if [[ "${VELMORA_FUZZ:-}" == "ON" ]]; then
  packages+=(clang libclang-rt-14-dev)
fi
# Only for remaking the committed pictures and sounds (tools/asset_maker); the build needs none.
if [[ "${VELMORA_ASSETS:-}" == "ON" ]]; then
  packages+=(imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
