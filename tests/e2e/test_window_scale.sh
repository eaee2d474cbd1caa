#!/usr/bin/env bash
# The window sized to the screen: on a 1920 x 1080 screen the installed launcher runs the game
# on sdl12-compat in a crisp 800 x 600 window that shows exactly the 400 x 300 picture doubled;
# VEXLORN_SCALE and the library's own variable choose other sizes, VEXLORN_SDL=classic keeps
# the classic library at 1x with a hint, and standard output never changes.
# shellcheck source=tests/e2e/lib.sh
source "$E2E_LIB"
# shellcheck source=tests/e2e/pixels.sh
source "$(dirname "$E2E_LIB")/pixels.sh"
build_dir=$(dirname "$GAME_DIR")
prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

# The SDL 1.2 the game gets without help, and sdl12-compat's private folder (Debian 12).
# (awk reads to the end: an early exit would stop ldd with SIGPIPE, a failure under pipefail)
sdl_of() { ldd "$prefix/lib/vexlorn/vexlorn" | awk '$1 == "libSDL-1.2.so.0" && !seen++ { print $3 }'; }
scales() { grep -qF SDL12COMPAT_WINDOW_SCALING "$1"; }
default_sdl=$(LD_LIBRARY_PATH='' sdl_of)
multiarch=$(ldd "$prefix/lib/vexlorn/vexlorn" | awk '$1 == "libc.so.6" && !seen++ {
  n = split($3, part, "/"); print part[n - 1] }')
private=/usr/lib/$multiarch/sdl12-compat
if scales "$default_sdl"; then
  classic_installed=0
  compat_path=""
elif [[ -e "$private/libSDL-1.2.so.0" ]]; then
  classic_installed=1
  compat_path=$private
else
  fail "sdl12-compat is not installed (Debian: libsdl1.2-compat)"
fi

start_x 1920x1080x24
# Every run reads the same settings, so that every run prints the same lines.
settings=$'400\n300\n32\n0\n'
mkdir -p "$work/home/.local/share/vexlorn" "$work/elsewhere"
printf '%s' "$settings" >"$work/home/.local/share/vexlorn/Video_Settings.cfg"

# The picture at the very start: the formation has not stepped and no bullet has fallen for
# the first half second, so the game is stopped right after its start-up for the screenshot.
# Leaves the window's size in window_seen, and the run's output in $work/$1.out and .err.
capture_start() {
  local name=$1
  find_window
  wait_for_output "DEBUG:  SDL Initialized " 400
  sleep 0.15
  kill -STOP "$game_pid"
  window_seen=$(window_size)
  screenshot "$work/$name.png"
  kill -CONT "$game_pid"
  xdotool key --window "$window_id" Escape
  wait_game_end
  [[ "$exit_status" == 0 ]] || fail "$name: exit status $exit_status"
  cp "$work/stdout.txt" "$work/$name.out"
  grep '^vexlorn: ' "$work/stderr.txt" >"$work/$name.err" || true
}

# Starts the installed launcher from PATH with the given environment.
run_installed() {
  local name=$1
  shift
  (cd "$work/elsewhere" && exec env -u XDG_DATA_HOME HOME="$work/home" "$@" \
    PATH="$prefix/bin:$PATH" SDL_AUDIODRIVER=dummy vexlorn) \
    >"$work/stdout.txt" 2>"$work/stderr.txt" &
  game_pid=$!
  capture_start "$name"
}

expect_size() {
  [[ "$window_seen" == "$2" ]] || fail "$1: the window is $window_seen, expected $2"
}

expect_no_line() {
  [[ ! -s "$work/$1.err" ]] || fail "$1: unexpected line on standard error: $(cat "$work/$1.err")"
}

expect_one_line() {
  if [[ $(wc -l <"$work/$1.err") != 1 ]] || ! grep -q -- "$2" "$work/$1.err"; then
    fail "$1: expected one line about $2 on standard error, got: $(cat "$work/$1.err")"
  fi
}

run_installed doubled
expect_size doubled 800x600
expect_no_line doubled
run_installed single VEXLORN_SCALE=1
expect_size single 400x300
expect_no_line single
run_installed tripled VEXLORN_SCALE=3
expect_size tripled 1200x900
run_installed unusable VEXLORN_SCALE=2x
expect_size unusable 800x600
expect_one_line unusable VEXLORN_SCALE
# The library's own variable, set by the player, wins over VEXLORN_SCALE.
run_installed library_own VEXLORN_SCALE=3 SDL12COMPAT_WINDOW_SCALING=1
expect_size library_own 400x300
run_installed classic VEXLORN_SDL=classic
if ((classic_installed)); then
  expect_size classic 400x300
  expect_one_line classic "1x"
else
  # Where sdl12-compat is the only SDL 1.2 there is nothing to choose, and the launcher says so.
  expect_size classic 800x600
  expect_one_line classic "not installed"
fi

# The game run straight from its build folder picks its scale itself.
make_game_dir
printf '%s' "$settings" >"$work/game/Video_Settings.cfg"
direct_env=()
[[ -z "$compat_path" ]] || direct_env=(LD_LIBRARY_PATH="$compat_path")
start_game env "${direct_env[@]}"
capture_start direct
expect_size direct 800x600

# The doubled window is the 400 x 300 picture with every pixel made a 2 x 2 block: taking one
# pixel of each block and doubling again gives back the screenshot exactly.
convert "$work/doubled.png" -sample 50% "$work/halved.png"
convert "$work/halved.png" -sample 200% "$work/redoubled.png"
n=$(pixel_difference "$work/doubled.png" "$work/redoubled.png")
((n == 0)) || fail "the 800 x 600 window is not made of 2 x 2 blocks: $n pixels differ"
# And that picture is the one the game draws at 1x. Both were taken right after start-up and
# are usually the same frame, but a busy machine may let the game run on for a moment in one
# of the runs, so what moves without a player is compared for where it may be: the formation
# stands at y 25, some march steps right of x 0, in both. What does not move is compared
# pixel for pixel: the score (nothing is shot) exactly, and the bunkers, base, ground line and
# spare bases but for what a bullet or two may have changed; a picture shifted by one pixel
# differs there in hundreds of pixels.
for name in halved single; do
  formation_at "$work/$name.png" 25 9 any || fail "$name: the formation is not at y 25"
done
n=$(differing_between "$work/halved.png" "$work/single.png" 300 284 100 16)
((n == 0)) || fail "the doubled window's score differs from the 400 x 300 frame in $n pixels"
n=$(differing_between "$work/halved.png" "$work/single.png" 0 200 400 100)
((n <= 80)) || fail "the doubled window's lower field differs from the 400 x 300 frame in $n pixels"
# The ground line, rows 280 and 281 of the play field, lies on rows 560 to 563.
green="rgb(0,255,0)"
(($(count_colour "$work/doubled.png" 0 560 800 4 "$green") >= 3040)) \
  || fail "the ground line does not fill rows 560 to 563"
for y in 559 564; do
  (($(count_colour "$work/doubled.png" 0 "$y" 800 1 "$green") == 0)) \
    || fail "the ground line reaches row $y"
done
# The same holds at three times.
convert "$work/tripled.png" -sample 400x300 "$work/tripled_one.png"
convert "$work/tripled_one.png" -sample 1200x900 "$work/tripled_again.png"
n=$(pixel_difference "$work/tripled.png" "$work/tripled_again.png")
((n == 0)) || fail "the 1200 x 900 window is not made of 3 x 3 blocks: $n pixels differ"

# Standard output is the same whatever the size and the library, apart from the fullscreen
# modes each library lists for itself.
without_modes() {
  sed -e '/Available Fullscreen Video Modes/,/Fullscreen Resolutions Available/d' \
    -e '/No Available Fullscreen Resolutions/d' -e '/Infinite Potential Fullscreen/d' "$1"
}
without_modes "$work/doubled.out" >"$work/expected.out"
grep -q 'Attempting to make SDL Window at 400 x 300, 32 bit depth' "$work/expected.out" \
  || fail "the game did not ask for 400 x 300: $(cat "$work/expected.out")"
for name in single tripled unusable library_own classic direct; do
  diff -u "$work/expected.out" <(without_modes "$work/$name.out") >"$work/out.diff" \
    || fail "$name: standard output differs: $(cat "$work/out.diff")"
done
echo "ok"
