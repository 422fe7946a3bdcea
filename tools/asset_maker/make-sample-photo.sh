#!/usr/bin/env bash
# A sample photo to try the program with and to show in the README: dusk over layered
# mountains, 1200x675. Needs ImageMagick.
#   tools/asset_maker/make-sample-photo.sh OUTPUT.jpg
set -euo pipefail
out=$1
convert -size 1200x675 gradient:'#1d2b64'-'#f8a46b' \
  \( -size 1200x675 xc:none -fill '#ffe3a3' -draw "circle 780,430 780,360" -blur 0x6 \) -composite \
  \( -size 1200x675 xc:none -fill '#2c2447' \
     -draw "polygon 0,470 160,360 300,430 470,300 640,450 760,400 900,470 1050,350 1200,430 1200,675 0,675" \) -composite \
  \( -size 1200x675 xc:none -fill '#17142b' \
     -draw "polygon 0,540 200,470 380,520 560,455 760,530 980,480 1200,540 1200,675 0,675" \) -composite \
  \( -size 1200x675 xc:none -fill '#0e0c1c' -draw "rectangle 0,600 1200,675" \) -composite \
  -strip -quality 90 "$out"
