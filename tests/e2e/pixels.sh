# pixels.sh: counting pixels in rectangles of a screenshot, for the end-to-end tests that
# look at the play field. Sourced after lib.sh, whose scratch folder $work it uses.
# Rectangles are given as x y w h.
# shellcheck shell=bash disable=SC2154

# Pixels that are not pure black.
count_lit() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fill white +opaque black \
    -colorspace gray -format "%[fx:round(mean*w*h)]" info:
}

# Pixels of exactly the colour $6 (an ImageMagick colour such as "rgb(0,255,0)").
count_colour() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fill black +opaque "$6" -fill white \
    -opaque "$6" -colorspace gray -format "%[fx:round(mean*w*h)]" info:
}

# The left edge of whatever is lit in the rectangle, in screenshot coordinates; empty when
# nothing is lit.
lit_left() {
  (($(count_lit "$@") > 0)) || return 0
  local box
  box=$(convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fill white +opaque black \
    -format "%@" info:)
  [[ "$box" =~ ^[0-9]+x[0-9]+\+([0-9]+)\+[0-9]+$ ]] || fail "cannot read the box '$box'"
  echo $(($2 + BASH_REMATCH[1]))
}

# How many pixels differ between a rectangle of a screenshot and an image file laid over
# black (the file's transparent pixels count as black).
differing_from() {
  local image=$1 x=$2 y=$3 w=$4 h=$5 reference=$6
  convert "$image" -crop "${w}x${h}+${x}+${y}" +repage "$work/crop.png"
  convert "$reference" -background black -alpha remove -alpha off "$work/reference.png"
  pixel_difference "$work/crop.png" "$work/reference.png"
}

# How many pixels differ between the same rectangle of two screenshots.
differing_between() {
  local a=$1 b=$2 x=$3 y=$4 w=$5 h=$6
  convert "$a" -crop "${w}x${h}+${x}+${y}" +repage "$work/crop_a.png"
  convert "$b" -crop "${w}x${h}+${x}+${y}" +repage "$work/crop_b.png"
  pixel_difference "$work/crop_a.png" "$work/crop_b.png"
}

pixel_difference() {
  local n
  n=$(compare -metric AE "$1" "$2" null: 2>&1 || true)
  [[ "$n" =~ ^[0-9]+$ ]] || fail "cannot compare $1 with $2: $n"
  echo "$n"
}

# Writes to $3 how the full formation looks at fleet x $2 and row 0 at the top, in animation
# frame $1: a 400 x 125 strip of the play field starting at the top of row 0.
formation_image() {
  local frame=$1 dx=$2 out=$3 args=() c r
  for r in 0 1 2 3 4; do
    for c in $(seq 0 10); do
      args+=("(" "$GAME_DIR/IMG/VX-Sprites.png" -crop "25x25+$((25 * frame))+$((25 * ((r + 1) / 2)))"
        +repage ")" -geometry "+$((30 * c + dx))+$((25 * r))" -composite)
    done
  done
  convert -size 400x125 xc:black "${args[@]}" -alpha off "$out"
}

# Succeeds when the strip of screenshot $1 from y $2 down shows the full formation standing
# 0 to $3 march steps right of x 0, each step 8 px and a change of animation frame, having
# started in frame $4 ("any" when either frame may have been the first).
formation_at() {
  local image=$1 top=$2 steps=$3 first=$4 n frame
  convert "$image" -crop "400x125+0+$top" +repage "$work/strip.png"
  for n in $(seq 0 "$steps"); do
    for frame in 0 1; do
      [[ "$first" == any || $(((first + n) % 2)) == "$frame" ]] || continue
      formation_image "$frame" $((8 * n)) "$work/formation.png"
      (($(pixel_difference "$work/strip.png" "$work/formation.png") == 0)) && return 0
    done
  done
  return 1
}

# The x at which the strip of screenshot $1 starting at y $2 holds an exact copy of image $3
# of the strip's height; empty when there is none.
find_sprite() {
  local image=$1 y=$2 sprite=$3 h found
  h=$(identify -format %h "$sprite")
  convert "$image" -crop "400x${h}+0+${y}" +repage "$work/sprite_strip.png"
  found=$(compare -metric AE -subimage-search "$work/sprite_strip.png" "$sprite" null: 2>&1 || true)
  [[ "$found" =~ ^0\ @\ ([0-9]+),0 ]] && echo "${BASH_REMATCH[1]}"
  return 0
}
