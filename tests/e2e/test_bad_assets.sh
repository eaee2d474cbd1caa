#!/usr/bin/env bash
# Every asset in turn missing, and every asset in turn damaged (replaced by text, empty, cut
# short, for an image saved without an alpha channel, for a sound a format header without
# channels or with a rate of 50 Hz, which would crash the library's converter; the kinds of
# damage take turns over the assets, so each kind meets images, sounds and the font): the game
# starts, names the file once, plays on, and Escape still ends it with status 0.
# BAD_ASSETS_ALL=1 tries every kind of damage on every asset.
source "$E2E_LIB"
start_x

[[ -d "$GAME_DIR/IMG" && -d "$GAME_DIR/SFX" && -f "$GAME_DIR/Aaargh.ttf" ]] \
  || fail "the assets are not staged in $GAME_DIR"
# Copies, so that damaging one never reaches the staged file behind a link.
mkdir -p "$work/pristine"
cp -rL "$GAME_DIR/IMG" "$GAME_DIR/SFX" "$GAME_DIR/Aaargh.ttf" "$work/pristine/"
assets=()
while IFS= read -r f; do assets+=("$f"); done < <(cd "$work/pristine" && find IMG SFX -type f | sort)
assets+=(Aaargh.ttf)

fresh_game_dir() {
  rm -rf "$work/game"
  cp -r "$work/pristine" "$work/game"
  ln -s "$GAME_DIR/vexlorn" "$work/game/vexlorn"
}

damage() {
  local kind=$1 file=$work/game/$2
  case "$kind" in
    missing) rm "$file" ;;
    text) echo "This is a text file, not what the game expects." >"$file" ;;
    empty) : >"$file" ;;
    truncated) head -c $(($(stat -c %s "$file") / 2)) "$work/pristine/$2" >"$file" ;;
    no_alpha) convert "$work/pristine/$2" -alpha off "PNG24:$file" ;;
    no_channels) patch_format "$file" 10 '\x00\x00' ;;
    rate_50_hz) patch_format "$file" 12 '\x32\x00\x00\x00' ;;
  esac
}

# Overwrites bytes of a WAV file's format chunk, at an offset from the chunk's start (10 is
# the channel count, 12 the sample rate).
patch_format() {
  local at
  at=$(grep -obUa "fmt " "$1" | head -n 1 | cut -d: -f1)
  [[ -n "$at" ]] || fail "$1 has no format chunk"
  printf "$3" | dd of="$1" bs=1 seek=$((at + $2)) conv=notrunc status=none
}

# A key event for the game's window; the window vanishing means the game ended early.
send() {
  xdotool "$1" --window "$window_id" "$2" 2>/dev/null \
    || fail "$asset $kind: the game ended while playing ($(tail -n 1 "$work/stderr.txt"))"
}

# Sets window_id, or returns 1 when the game ends first. Key events go to the window by id,
# so it needs no focus (waiting for focus costs seconds without a window manager).
wait_window() {
  window_id=""
  for _ in $(seq 200); do
    window_id=$(xdotool search --name '^Vexlorn' 2>/dev/null | head -n 1 || true)
    [[ -n "$window_id" ]] && return 0
    kill -0 "$game_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  fail "$asset $kind: no window"
}

# This X server now and then hangs up on a connection opened right after another one closed;
# when that costs the game its window it says so, and the run is repeated.
start_with_window() {
  for _ in 1 2 3; do
    start_game
    wait_window && return 0
    wait "$game_pid" || true
    game_pid=""
    grep -qF "Unable to Create SDL Window with Default Values" "$work/stdout.txt" \
      || fail "$asset $kind: the game ended before its window appeared"
    retries=$((retries + 1))
  done
  fail "$asset $kind: no window in three starts"
}

# Starts the game, moves and fires for about a second, then quits with Escape.
play_briefly() {
  start_with_window
  send keydown Left
  send key space
  sleep 0.5
  send keyup Left
  send keydown d
  send key Up
  sleep 0.5
  send keyup d
  send key Escape
  wait_game_end
}

runs=0
retries=0
turn=0
for asset in "${assets[@]}"; do
  [[ "$asset" == *"${BAD_ASSETS_ONLY:-}"* ]] || continue
  damages=(text empty truncated)
  [[ "$asset" == *.png ]] && damages+=(no_alpha)
  [[ "$asset" == *.wav ]] && damages+=(no_channels rate_50_hz)
  if [[ "${BAD_ASSETS_ALL:-0}" == 1 ]]; then
    kinds=(missing "${damages[@]}")
  else
    kinds=(missing "${damages[$((turn % ${#damages[@]}))]}")
    turn=$((turn + 1))
  fi
  for kind in "${kinds[@]}"; do
    started=$SECONDS
    fresh_game_dir
    damage "$kind" "$asset"
    play_briefly
    runs=$((runs + 1))
    echo "$asset $kind ($((SECONDS - started)) s): $(grep -F -- "$asset" "$work/stdout.txt" | head -n 1)"
    [[ "$exit_status" == 0 ]] || fail "$asset $kind: exit status $exit_status"
    grep -qxF "DEBUG:  Libraries Cleaned Up, Exiting Program " "$work/stdout.txt" \
      || fail "$asset $kind: no shutdown line"
    named=$(grep -cF -- "$asset" "$work/stdout.txt" || true)
    # An image without alpha is a valid image: it loads and is solid everywhere, so there is
    # nothing to report.
    if [[ "$kind" == no_alpha ]]; then
      [[ "$named" == 0 ]] || fail "$asset $kind: reported although it loads"
    elif [[ "$kind" == truncated && "$asset" == *.wav ]]; then
      # The classic library's reader rejects a WAV cut short, so it is named once; SDL2's
      # reader (under sdl12-compat) loads what is there, so there is nothing to name.
      [[ "$named" == 0 || "$named" == 1 ]] || fail "$asset $kind: named on $named lines"
      echo "  ($asset $kind: $([[ "$named" == 1 ]] && echo "refused and named" || echo "loaded"))"
    else
      [[ "$named" == 1 ]] || fail "$asset $kind: named on $named lines, expected one"
    fi
  done
done
echo "ok: ${#assets[@]} assets, $runs runs ($retries repeated for the X server)"
