#!/usr/bin/env bash
# The play field as a player first sees it: the formation at (0, 25), four whole bunkers, the
# green ground line, the base at (25, 261), two spare bases and the score; then the base
# walks right with the arrow key, stops at the right bound and fires with space.
# shellcheck source=tests/e2e/lib.sh
source "$E2E_LIB"
# shellcheck source=tests/e2e/pixels.sh
source "$(dirname "$E2E_LIB")/pixels.sh"
start_x
make_game_dir
start_game
find_window

green="rgb(0,255,0)"
base_cell="$work/base_cell.png"
convert "$GAME_DIR/IMG/VX-Base.png" -crop 25x16+0+0 +repage "$base_cell"

screenshot "$work/start.png"
shot=$work/start.png

# The screenshot may come after the first march steps; the formation still stands at y 25.
formation_at "$shot" 25 2 0 || fail "the formation is not the full formation at (0, 25)"
(($(count_lit "$shot" 0 20 400 5) == 0)) || fail "something is drawn above the formation"
for i in 0 1 2 3; do
  x=$((45 + 90 * i))
  n=$(differing_from "$shot" "$x" 220 36 26 "$GAME_DIR/IMG/Shield.png")
  # An early invader bullet may already have reached a bunker; a missing or misplaced bunker
  # differs in hundreds of pixels.
  ((n <= 40)) || fail "bunker $i at ($x, 220) differs from the image in $n pixels"
done
n=$(count_colour "$shot" 0 280 400 2 "$green")
((n >= 760)) || fail "the ground line at y 280 and 281 has only $n green pixels"
for x in 0 100 210 399; do
  [[ $(pixel_at "$shot" "$x" 280) == 0,255,0 && $(pixel_at "$shot" "$x" 281) == 0,255,0 ]] \
    || fail "the ground line is not green at x $x"
done
(($(count_colour "$shot" 0 279 400 1 "$green") == 0)) || fail "the ground line is thicker"
(($(differing_from "$shot" 25 261 25 16 "$base_cell") == 0)) || fail "no base at (25, 261)"
for x in 0 30; do
  (($(differing_from "$shot" "$x" 284 25 16 "$base_cell") == 0)) \
    || fail "no spare base at ($x, 284)"
done
(($(count_lit "$shot" 55 284 265 16) == 0)) || fail "more than two spare bases"
white=$(count_colour "$shot" 320 285 80 15 "rgb(255,255,255)")
((white >= 60)) || fail "the score text has only $white white pixels"
x=$(lit_left "$shot" 300 285 100 15)
((x >= 320 && x <= 322)) || fail "the score text starts at x ${x:-none}, expected its box at 320"

# Walking right: the base moves in steps of 4 px and leaves nothing behind. A bullet may
# destroy it on the way, and then it stands still for a second; walk again after that.
x=""
for _ in 1 2 3; do
  xdotool keydown Right
  sleep 0.6
  xdotool keyup Right
  screenshot "$work/walked.png"
  x=$(find_sprite "$work/walked.png" 261 "$base_cell")
  [[ -n "$x" ]] && ((x > 50)) && break
  sleep 1.2
done
shot=$work/walked.png
[[ -n "$x" ]] || fail "no whole base after walking"
((x > 50 && (x - 25) % 4 == 0)) || fail "the base walked from x 25 to x $x"
# A bullet bursting on the ground line may show next to the old place, but no base.
n=$(count_lit "$shot" 25 261 25 16)
((n <= 35)) || fail "$n pixels are still lit where the base stood"

# The right bound: on a 400 px screen the base stops at 373.
xdotool keydown Right
for _ in $(seq 20); do
  sleep 0.3
  screenshot "$work/bound.png"
  x=$(find_sprite "$work/bound.png" 261 "$base_cell")
  [[ "$x" == 373 ]] && break
done
sleep 0.3
screenshot "$work/bound.png"
xdotool keyup Right
shot=$work/bound.png
x=$(find_sprite "$shot" 261 "$base_cell")
[[ "$x" == 373 ]] || fail "holding right leaves the base at x ${x:-none}, expected 373"

# Firing: the shot flies up the column x 385, which no invader and no invader bullet can
# reach this early, so a lit 1 x 5 column there is the base's shot.
(($(count_lit "$shot" 384 30 3 229) == 0)) || fail "something is in the shot's column before firing"
xdotool keydown space
seen=""
for i in $(seq 12); do
  screenshot "$work/fire_$i.png"
  if (($(count_lit "$work/fire_$i.png" 385 30 1 229) == 5)) \
    && (($(count_lit "$work/fire_$i.png" 384 30 1 229) == 0)) \
    && (($(count_lit "$work/fire_$i.png" 386 30 1 229) == 0)); then
    seen=$i
    break
  fi
  sleep 0.1
done
xdotool keyup space
[[ -n "$seen" ]] || fail "no shot flew up from the base at x 373 while space was held"

grep -q "Unable to blit" "$work/stdout.txt" && fail "the game reported a failed blit"
kill -0 "$game_pid" 2>/dev/null || fail "the game ended while playing"
xdotool key --window "$window_id" Escape
wait_game_end
[[ "$exit_status" == 0 ]] || fail "exit status $exit_status"
echo "ok"
