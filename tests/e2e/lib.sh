# lib.sh: shared steps of the end-to-end tests: a private X server, a scratch game folder,
# the real binary started in it, and its window found and focused.
# Each test sources this file; GAME_DIR names the staged game folder.
set -euo pipefail

: "${GAME_DIR:?GAME_DIR must name the staged game folder}"
work=$(mktemp -d /tmp/vexlorn-e2e-XXXXXX)
xvfb_pid=""
game_pid=""

cleanup() {
  [[ -n "$game_pid" ]] && kill "$game_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  if [[ "${E2E_KEEP:-0}" == 1 ]]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  if [[ -f "$work/stdout.txt" ]]; then
    echo "--- game output (last 40 lines) ---" >&2
    tail -n 40 "$work/stdout.txt" >&2
  fi
  for log in stderr.txt xvfb.log; do
    if [[ -s "$work/$log" ]]; then
      echo "--- $log ---" >&2
      tail -n 20 "$work/$log" >&2
    fi
  done
  exit 1
}

# Starts Xvfb on a free display (it picks the number itself) and exports DISPLAY.
start_x() {
  local size=${1:-1024x768x24}
  # -noreset: by default the server resets when its last client leaves, and a connection
  # that arrives during the reset is dropped (our own probe below would cause one).
  Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  [[ -s "$work/display" ]] || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$work/display")"
  # Never let SDL fall back to another driver when the X server is slow to answer.
  export SDL_VIDEODRIVER=x11
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "Xvfb does not answer on $DISPLAY"
}

# A game folder of our own: the binary and the assets linked in, so the settings file the
# test writes or reads lands here and nowhere else.
make_game_dir() {
  mkdir -p "$work/game"
  ln -s "$GAME_DIR/vexlorn" "$work/game/vexlorn"
  for a in IMG SFX Aaargh.ttf; do
    [[ -e "$GAME_DIR/$a" ]] && ln -s "$GAME_DIR/$a" "$work/game/$a"
  done
  return 0
}

# Starts the game in its folder; arguments, if any, are a command to run it under.
start_game() {
  (cd "$work/game" && SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} exec "$@" ./vexlorn) \
    >"$work/stdout.txt" 2>"$work/stderr.txt" &
  game_pid=$!
}

# Waits (up to $1 tenths of a second, 10 s by default) for the game's window and focuses it;
# sets window_id.
find_window() {
  window_id=""
  for _ in $(seq "${1:-100}"); do
    window_id=$(xdotool search --name '^Vexlorn' 2>/dev/null | head -n 1 || true)
    [[ -n "$window_id" ]] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended before its window appeared"
    sleep 0.1
  done
  [[ -n "$window_id" ]] || fail "no Vexlorn window"
  # No window manager: --sync would wait for a focus change nobody announces.
  xdotool windowfocus "$window_id"
}

caption() { xprop -id "$window_id" WM_NAME | sed -e 's/^WM_NAME(STRING) = "//' -e 's/"$//'; }

window_size() { xwininfo -id "$window_id" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'; }

# Waits until the game has printed a line containing $1.
wait_for_output() {
  for _ in $(seq "${2:-100}"); do
    grep -qF -- "$1" "$work/stdout.txt" 2>/dev/null && return 0
    sleep 0.1
  done
  fail "the game never printed: $1"
}

# Waits for the game to end and returns its exit status in exit_status.
wait_game_end() {
  exit_status=""
  for _ in $(seq "${1:-100}"); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
      wait "$game_pid" && exit_status=0 || exit_status=$?
      game_pid=""
      return 0
    fi
    sleep 0.1
  done
  fail "the game did not end"
}

screenshot() { import -window "$window_id" "$1"; }

# The colour of pixel (x, y) of a screenshot as "r,g,b".
pixel_at() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}
