#!/usr/bin/env bash
# A whole game left to the invaders: the game-over screen shows its two lines on black and
# nothing of the field, and space starts a fresh game with the base where it was.
# shellcheck source=tests/e2e/lib.sh
source "$E2E_LIB"
# shellcheck source=tests/e2e/pixels.sh
source "$(dirname "$E2E_LIB")/pixels.sh"
start_x
make_game_dir
start_game
find_window

green="rgb(0,255,0)"
white="rgb(255,255,255)"
base_cell="$work/base_cell.png"
convert "$GAME_DIR/IMG/VX-Base.png" -crop 25x16+0+0 +repage "$base_cell"
screenshot "$work/start.png"
[[ $(find_sprite "$work/start.png" 261 "$base_cell") == 25 ]] || fail "no base at the start"

# The base waits at the right bound: the space that starts the next game also fires, and
# from x 373 that shot flies up clear of the fresh formation, so the new score stays 0. The
# game then ends by the invasion, about two minutes in, if the bullets spare the base.
xdotool keydown Right
for _ in $(seq 20); do
  sleep 0.3
  screenshot "$work/parked.png"
  [[ $(find_sprite "$work/parked.png" 261 "$base_cell") == 373 ]] && break
done
xdotool keyup Right
[[ $(find_sprite "$work/parked.png" 261 "$base_cell") == 373 ]] || fail "the base never reached 373"

ended=""
for _ in $(seq 120); do
  sleep 2
  kill -0 "$game_pid" 2>/dev/null || fail "the game ended while playing"
  screenshot "$work/over.png"
  if (($(count_colour "$work/over.png" 0 280 400 2 "$green") == 0)) \
    && (($(count_lit "$work/over.png" 50 100 300 44) > 0)); then
    ended=yes
    break
  fi
done
[[ -n "$ended" ]] || fail "no game-over screen within 240 s"

# The screen may have been caught while it was being drawn; take a settled one.
sleep 0.5
screenshot "$work/over.png"
shot=$work/over.png
all=$(count_lit "$shot" 0 0 400 300)
text=$(count_lit "$shot" 50 100 300 44)
((all == text)) || fail "$((all - text)) pixels are lit outside the two text lines"
(($(count_colour "$shot" 50 100 300 44 "$white") == text)) || fail "the text is not all white"
first=$(count_lit "$shot" 50 100 300 20)
second=$(count_lit "$shot" 50 120 300 24)
((first >= 100 && second >= 100)) || fail "the lines have $first and $second lit pixels"
for y in 100 120; do
  x=$(lit_left "$shot" 50 "$y" 300 20)
  ((x <= 52)) || fail "the line at y $y starts at x $x, expected 50"
done
# Both lines are in one fixed-width font: "Game Over - Score 0" is two characters shorter
# than "Press Space to Replay".
width() {
  convert "$1" -crop "300x${3}+50+${2}" +repage -fill white +opaque black -format "%[fx:w]" \
    -trim info:
}
w1=$(width "$shot" 100 20)
w2=$(width "$shot" 120 20)
((w2 - w1 >= 2 * w2 / 21 - 4 && w2 - w1 <= 2 * w2 / 21 + 4)) \
  || fail "the lines are $w1 and $w2 px wide; expected a score of one digit"
[[ $(caption) =~ ^Vexlorn\ -\ [0-9]+/60\ fps ]] || fail "caption is '$(caption)' on game over"

# A fresh game: the field comes back at once.
xdotool keydown space
sleep 0.15
xdotool keyup space
back=""
for _ in $(seq 25); do
  screenshot "$work/fresh.png"
  if (($(count_colour "$work/fresh.png" 0 280 400 2 "$green") > 0)); then
    back=yes
    break
  fi
  sleep 0.2
done
[[ -n "$back" ]] || fail "space did not start a new game"
shot=$work/fresh.png
formation_at "$shot" 25 1 any || fail "the new game does not start with the full formation"
n=$(count_colour "$shot" 0 280 400 2 "$green")
((n >= 760)) || fail "the ground line of the new game has only $n green pixels"
for i in 0 1 2 3; do
  x=$((45 + 90 * i))
  n=$(differing_from "$shot" "$x" 220 36 26 "$GAME_DIR/IMG/Shield.png")
  # Bullets still falling from the last game may already have struck once.
  ((n <= 60)) || fail "bunker $i of the new game differs from the image in $n pixels"
done
[[ $(find_sprite "$shot" 261 "$base_cell") == 373 ]] || fail "the base did not stay at 373"
for x in 0 30; do
  (($(differing_from "$shot" "$x" 284 25 16 "$base_cell") == 0)) \
    || fail "no spare base at ($x, 284) in the new game"
done
(($(count_lit "$shot" 55 284 265 16) == 0)) || fail "more than two spare bases in the new game"
(($(differing_between "$work/start.png" "$shot" 320 285 80 15) == 0)) \
  || fail "the score of the new game does not read as at the start"

xdotool key --window "$window_id" Escape
wait_game_end
[[ "$exit_status" == 0 ]] || fail "exit status $exit_status"
echo "ok"
