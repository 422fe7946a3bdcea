# Sourced by the picture makers: the fonts they draw with and a scratch folder that goes
# away when the maker ends.
hei=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc
latin=/usr/share/fonts/truetype/crosextra/Carlito-Bold.ttf
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
