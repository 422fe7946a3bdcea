#!/usr/bin/env bash
# The home picture: six tiles, each under one click area of the home window, on a dark
# film-strip ground, with the product name in the free corner. Needs ImageMagick.
#   tools/asset_maker/make-home.sh OUTPUT.jpg
set -euo pipefail
out=$1
source "$(dirname "$0")/common.sh"

# Ground: a deep vertical gradient with film sprocket rows along the top and bottom.
convert -size 496x440 gradient:'#23272F-#0E1014' "$work/home.png"
sprockets=()
for x in $(seq 6 20 490); do
  sprockets+=(-draw "roundrectangle $x,6 $((x + 10)),16 2,2" -draw "roundrectangle $x,424 $((x + 10)),434 2,2")
done
convert "$work/home.png" -fill '#050607' -draw "rectangle 0,0 496,22" -draw "rectangle 0,418 496,440" \
  -fill '#3A3F48' "${sprockets[@]}" "$work/home.png"

# tile LEFT TOP WIDTH HEIGHT TOP-COLOUR BOTTOM-COLOUR WORD ENGLISH ICON-DRAW
tile() {
  local x=$1 y=$2 w=$3 h=$4 c1=$5 c2=$6 word=$7 english=$8 icon=$9
  local iw=$((w - 8)) ih=$((h - 8))
  convert -size ${iw}x${ih} gradient:"$c1-$c2" \
    \( -size ${iw}x${ih} xc:none -fill white -draw "roundrectangle 0,0 $((iw - 1)),$((ih - 1)) 10,10" \) \
    -alpha off -compose CopyOpacity -composite \
    -fill 'rgba(255,255,255,0.10)' -draw "roundrectangle 0,0 $((iw - 1)),$((ih / 2)) 10,10" \
    -stroke 'rgba(255,255,255,0.85)' -strokewidth 3 -fill none -draw "$icon" \
    -stroke none -fill white -font "$hei" -pointsize 30 -gravity southwest -annotate +12+26 "$word" \
    -fill 'rgba(255,255,255,0.75)' -font "$latin" -pointsize 12 -annotate +13+10 "$english" \
    "$work/tile.png"
  convert "$work/home.png" "$work/tile.png" -geometry +$((x + 4))+$((y + 4)) -composite "$work/home.png"
}

# The icons sit in each tile's upper right, in tile coordinates.
tile 0 24 328 128 '#E0604A' '#9E2F2A' '字幕' 'CAPTIONS' \
  "roundrectangle 222,14 302,64 6,6 line 234,34 290,34 line 234,48 276,48"
tile 168 160 160 120 '#2FA7A0' '#17615E' '水印' 'WATERMARK' \
  "circle 116,36 116,14 line 104,36 128,36 line 116,24 116,48"
tile 8 160 152 128 '#E3A33B' '#A4621A' '批量' 'BATCH' \
  "rectangle 94,12 130,40 rectangle 100,18 136,46 rectangle 106,24 142,52"
tile 8 288 320 128 '#6B5FD3' '#3A2F8C' '滤镜' 'FILTERS' \
  "circle 248,44 248,18 circle 276,44 276,18 circle 262,68 262,44"
tile 336 160 152 120 '#D9477A' '#8C1F4B' '视频' 'VIDEO' \
  "circle 112,36 112,12 polygon 105,26 105,46 123,36"
tile 336 288 160 128 '#4F83D8' '#27498F' '关于' 'ABOUT' \
  "circle 120,36 120,12 line 120,32 120,48 circle 120,24 120,25"

# The product name in the free corner above 视频 and 关于.
convert "$work/home.png" -fill white -font "$latin" -pointsize 40 -gravity northwest \
  -annotate +346+56 'Velmora' -fill '#9AA4B2' -font "$hei" -pointsize 14 \
  -annotate +350+104 '电影剧照工坊' -fill '#E0604A' -draw "rectangle 350,126 420,129" \
  -quality 90 -sampling-factor 4:2:0 -strip "$out"
