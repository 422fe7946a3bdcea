#!/usr/bin/env bash
# The about picture, the watermark template and the window icon. Needs ImageMagick.
#   tools/asset_maker/make-pictures.sh OUTPUT-FOLDER
set -euo pipefail
out=$1
source "$(dirname "$0")/common.sh"

# The mark: a film frame with a V cut into it, on a warm rounded square.
mark() {
  local size=$1 file=$2
  local r=$((size / 6)) m=$((size / 8))
  convert -size ${size}x${size} xc:none \
    -fill '#E0604A' -draw "roundrectangle 0,0 $((size - 1)),$((size - 1)) $r,$r" \
    -fill '#1B1E24' -draw "roundrectangle $m,$((m + size / 10)) $((size - m - 1)),$((size - m - size / 10 - 1)) $((r / 2)),$((r / 2))" \
    -fill '#F6E7C8' -draw "polygon $((size * 3 / 10)),$((size * 3 / 10)) $((size * 42 / 100)),$((size * 3 / 10)) $((size / 2)),$((size * 58 / 100)) $((size * 58 / 100)),$((size * 3 / 10)) $((size * 7 / 10)),$((size * 3 / 10)) $((size * 56 / 100)),$((size * 72 / 100)) $((size * 44 / 100)),$((size * 72 / 100))" \
    "$file"
}

mark 256 "$work/mark.png"
convert "$work/mark.png" -define icon:auto-resize=48,32,16 "$out/velmora.ico"

# The watermark template: the mark and the name on a clear ground, half opaque so it reads
# on light and dark photos alike.
mark 64 "$work/mark64.png"
convert -size 100x100 xc:none "$work/mark64.png" -geometry +18+4 -composite \
  -fill 'rgba(255,255,255,0.92)' -stroke 'rgba(0,0,0,0.55)' -strokewidth 1 -font "$latin" \
  -pointsize 20 -gravity south -annotate +0+4 'Velmora' \
  -channel A -evaluate multiply 0.8 +channel -strip "PNG32:$out/watermark.png"
# The batch window's starting watermark: picture boxes show no PNG, so the template is laid
# on the window's dark strip colour and kept as a BMP.
convert "$out/watermark.png" -background '#23262B' -flatten -type TrueColor \
  "BMP3:$out/batch-watermark.bmp"

# The about picture: the mark, the name, what it does and who made it.
mark 120 "$work/mark120.png"
convert -size 640x360 gradient:'#262A33-#101216' \
  "$work/mark120.png" -geometry +52+64 -composite \
  -fill '#F2F4F8' -font "$latin" -pointsize 54 -annotate +200+112 'Velmora' \
  -fill '#E0604A' -draw "rectangle 202,126 302,129" \
  -fill '#C9CED8' -font "$hei" -pointsize 18 -annotate +202+160 '电影剧照工坊  版本 1.0' \
  -fill '#9AA4B2' -pointsize 15 \
  -annotate +52+232 '给照片加上滤镜、中英双语字幕与水印，一键做成电影剧照。' \
  -annotate +52+258 '批量处理整个文件夹的照片，字幕库里有现成的台词可选。' \
  -fill '#6F7886' -pointsize 13 -annotate +52+320 '© Velmora 工作室    点击此处访问我们的主页' \
  -quality 90 -strip "$out/about.jpg"
