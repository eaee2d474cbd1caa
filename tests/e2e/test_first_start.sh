#!/usr/bin/env bash
# A first start without a settings file: the start-up lines in order, a 400 x 300 window
# captioned Vexlorn, the default settings written, the statistics in the caption once a
# second, and Escape ending the program with status 0.
source "$E2E_LIB"
start_x
make_game_dir
start_game
find_window

[[ $(window_size) == 400x300 ]] || fail "window is $(window_size), expected 400x300"
[[ "$(cat "$work/game/Video_Settings.cfg")" == $'400\n300\n32\n0' ]] \
  || fail "settings file reads: $(cat "$work/game/Video_Settings.cfg")"

# The statistics replace the caption once a second.
for _ in $(seq 50); do
  [[ $(caption) == "Vexlorn - "*"/60 fps - "*ms*ms*ms ]] && break
  sleep 0.1
done
[[ $(caption) =~ ^Vexlorn\ -\ [0-9]+/60\ fps\ -\ [0-9]+ms\ [0-9]+ms\ [0-9]+\.[0-9]{6}ms$ ]] \
  || fail "caption is '$(caption)'"

xdotool key --window "$window_id" Escape
wait_game_end
[[ "$exit_status" == 0 ]] || fail "exit status $exit_status"

expected=(
  "DEBUG:  Attempting to Init SDL "
  "ERROR:  SDL.ReadConfig -> Unable to Read From File: Video_Settings.cfg - Reverting to Defaults"
  "DEBUG:  Attempting to Init SDL Window at 400 x 300, 32 bit depth "
  "DEBUG:  Setting Window Title "
  "DEBUG:  Attempting to Init SDL_Mixer "
  "DEBUG:  Attempting to Init SDL_TTF "
  "DEBUG:  SDL_TTF Initialized sucessfully "
  "DEBUG:  SDL Initialized "
  "DEBUG:  Escape Key Exit Command Received "
  "DEBUG:  Libraries Cleaned Up, Exiting Program "
)
line=0
for want in "${expected[@]}"; do
  found=$(awk -v want="$want" -v from="$line" 'NR > from && $0 == want {print NR; exit}' \
    "$work/stdout.txt")
  [[ -n "$found" ]] || fail "missing or out of order: '$want'"
  line=$found
done
[[ $(tail -n 1 "$work/stdout.txt") == "DEBUG:  Libraries Cleaned Up, Exiting Program " ]] \
  || fail "the shutdown line is not the last"
echo "ok"
