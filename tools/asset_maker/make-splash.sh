#!/usr/bin/env bash
# The splash animation: a film reel turns in a projector's beam while the product name is
# lit by a passing light. Needs ImageMagick.
#   tools/asset_maker/make-splash.sh OUTPUT.gif
set -euo pipefail
out=$1
source "$(dirname "$0")/common.sh"
W=512 H=360 frames=24

# The still parts: ground, beam, captions.
convert -size ${W}x${H} radial-gradient:'#2A2F3A-#0B0C10' \
  -fill 'rgba(255,236,190,0.10)' -draw "polygon 150,120 512,40 512,300" \
  -fill 'rgba(255,236,190,0.07)' -draw "polygon 150,120 512,90 512,250" \
  -fill '#050607' -draw "rectangle 0,0 $W,18" -draw "rectangle 0,$((H - 18)) $W,$H" \
  -fill '#8A93A3' -font "$hei" -pointsize 15 -annotate +224+268 '把照片拍成电影' \
  "$work/ground.png"
holes=()
for x in $(seq 6 20 506); do
  holes+=(-draw "roundrectangle $x,5 $((x + 9)),13 2,2" -draw "roundrectangle $x,$((H - 13)) $((x + 9)),$((H - 5)) 2,2")
done
convert "$work/ground.png" -fill '#30343C' "${holes[@]}" "$work/ground.png"

convert -size ${W}x${H} xc:black -fill white -font "$latin" -pointsize 64 -annotate +222+236 'Velmora' \
  "$work/mask.png"
for i in $(seq 0 $((frames - 1))); do
  angle=$((i * 72 / frames))
  # The reel: a rim, a hub and five windows, turned a fifth of a turn over the loop.
  reel="translate 130,120 fill #C9CED8 stroke #7F8796 stroke-width 3 circle 0,0 0,62"
  reel+=" fill #1A1D23 stroke none circle 0,0 0,10"
  for k in 0 1 2 3 4; do
    reel+=" push graphic-context rotate $((angle + k * 72)) circle 0,-36 0,-21 pop graphic-context"
  done
  # The light runs over the name only: the band, cut to the letters, laid on white text.
  sweep=$((-80 + i * 30))
  convert -size ${W}x${H} xc:black -fill white \
    -draw "polygon $((sweep + 200)),160 $((sweep + 250)),160 $((sweep + 210)),260 $((sweep + 160)),260" \
    "$work/mask.png" -compose Multiply -composite "$work/glint.png"
  convert "$work/ground.png" \
    \( -size ${W}x${H} xc:none -draw "$reel" \) -composite \
    -fill '#F2F4F8' -font "$latin" -pointsize 64 -annotate +222+236 'Velmora' \
    \( -size ${W}x${H} xc:'#FFC861' "$work/glint.png" -alpha off -compose CopyOpacity -composite \) \
    -compose over -composite "$work/f$(printf %02d "$i").png"
done
convert -delay 8 -loop 0 "$work"/f*.png -layers Optimize "$out"
