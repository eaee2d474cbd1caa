#!/usr/bin/env bash
# A settings file that asks for another size gets it and is rewritten as four lines; one
# that asks for a size the library refuses, or one too large for the library's 16-bit sizes,
# falls back to the default, says so and is rewritten with the defaults.
source "$E2E_LIB"
start_x
make_game_dir

run_with_settings() {
  printf '%b' "$1" >"$work/game/Video_Settings.cfg"
  start_game
  find_window
}

run_with_settings '640 480 16 0'
[[ $(window_size) == 640x480 ]] || fail "window is $(window_size), expected 640x480"
[[ "$(cat "$work/game/Video_Settings.cfg")" == $'640\n480\n16\n0' ]] \
  || fail "settings file reads: $(cat "$work/game/Video_Settings.cfg")"
grep -qxF "DEBUG:  SDL Window Created Sucessfully " "$work/stdout.txt" || fail "no success line"
xdotool key --window "$window_id" Escape
wait_game_end
[[ "$exit_status" == 0 ]] || fail "exit status $exit_status"

for refused in '-5\n-5\n32\n0\n' '65536\n10\n32\n0\n'; do
  run_with_settings "$refused"
  [[ $(window_size) == 400x300 ]] || fail "$refused: window is $(window_size), expected the default"
  grep -qxF "CRITICAL EXISTANCE FAILURE: Unable to Create SDL Window " "$work/stdout.txt" \
    || fail "$refused: no refusal line"
  [[ "$(cat "$work/game/Video_Settings.cfg")" == $'400\n300\n32\n0' ]] \
    || fail "$refused: settings file reads: $(cat "$work/game/Video_Settings.cfg")"
  xdotool key --window "$window_id" Escape
  wait_game_end
  [[ "$exit_status" == 0 ]] || fail "$refused: exit status $exit_status"
done
echo "ok"
