#!/usr/bin/env bash
# Makes a contact sheet of the generated images for a look by eye: every image scaled up with hard
# pixel edges, and a mock play field assembled from the sheets at the game's fixed positions.
# Usage: tools/contact_sheet.sh [GAME_FOLDER] [OUTPUT_PNG]   (defaults: build/game, contact_sheet.png)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
game=${1:-$root/build/game}
out=${2:-contact_sheet.png}
scale=${SCALE:-4}
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
img="$game/IMG"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cell() { # sheet w h x y output
  convert "$1" -crop "$2x$3+$4+$5" +repage "$6"
}

# Cells of the invader sheet: kind k frame f band b (0 upper, 1 lower).
for b in 0 1; do
  for k in 0 1 2; do
    for f in 0 1; do
      cell "$img/VX-Sprites.png" 25 25 $((25 * f)) $((25 * k + 75 * b)) "$work/inv_${b}_${k}_${f}.png"
    done
  done
  cell "$img/VX-Sprites.png" 25 25 50 $((75 * b)) "$work/burst_$b.png"
done
cell "$img/VX-Base.png" 25 16 0 0 "$work/base.png"
cell "$img/bullet.png" 1 5 1 0 "$work/shot_up.png"
cell "$img/bullet.png" 1 5 0 0 "$work/shot_low.png"
cell "$img/bullet_explode.png" 5 7 5 0 "$work/pop_mid.png"

# A frame of play: fleet at (40, 105) so its bottom row has crossed y 200 into the lower band.
draws=()
place() { draws+=(-draw "image over $2,$3 0,0 '$1'"); }
fleet_x=40
fleet_y=105
frame=${FRAME:-0}
for r in 0 1 2 3 4; do
  k=$(((r + 1) / 2))
  y=$((fleet_y + 25 * r))
  b=0
  if ((y > 200)); then b=1; fi
  for c in 0 1 2 3 4 5 6 7 8 9 10; do
    if ((r == 3 && c == 4)); then continue; fi
    place "$work/inv_${b}_${k}_${frame}.png" $((fleet_x + 30 * c)) "$y"
  done
done
place "$work/burst_0.png" $((fleet_x + 120)) $((fleet_y + 75))
for i in 0 1 2 3; do place "$img/Shield.png" $((45 + 90 * i)) 220; done
place "$work/base.png" 180 261
place "$work/shot_up.png" 192 150
place "$work/shot_low.png" 102 240
place "$work/pop_mid.png" 300 170
place "$img/VX-UFO.png" 120 0
place "$work/base.png" 0 284
place "$work/base.png" 30 284
convert -size 400x300 xc:black "${draws[@]}" \
  -fill '#00ff00' -draw 'rectangle 0,280 399,281' \
  -scale 200% "$work/field.png"

# Each image scaled up on its own labelled tile, four tiles to a row.
mkdir "$work/tiles"
n=0
for f in "$img"/*.png; do
  name=$(basename "$f" .png)
  w=$(($(identify -format '%w' "$f") * scale))
  h=$(($(identify -format '%h' "$f") * scale))
  # Narrow images get a wider tile, so their labels are not cut off.
  convert "$f" -scale "$((100 * scale))%" -background none -gravity center \
    -extent "$((w > 150 ? w : 150))x$h" "$work/big.png"
  montage -font "$font" -label "$name" "$work/big.png" -geometry +8+6 -background '#303040' \
    -fill white "$work/tiles/$(printf '%02d' "$n").png"
  n=$((n + 1))
done
rows=()
tiles=("$work"/tiles/*.png)
for ((i = 0; i < ${#tiles[@]}; i += 4)); do
  convert "${tiles[@]:i:4}" -background '#303040' -gravity center +append "$work/row_$i.png"
  rows+=("$work/row_$i.png")
done
convert "${rows[@]}" -background '#303040' -gravity center -append "$work/sheets.png"
convert "$work/sheets.png" "$work/field.png" -background '#303040' -gravity center -append "$out"
echo "contact sheet: $out"
