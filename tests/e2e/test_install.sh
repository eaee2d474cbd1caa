#!/usr/bin/env bash
# The installed game: `cmake --install` into a scratch prefix, started from PATH through its
# launcher, runs in the player's own folder, keeps each player's settings apart and writes
# nothing under the prefix; installed under the player's ~/.local it runs in the data folder
# itself, start after start; a launcher that cannot start the game says why in one line.
source "$E2E_LIB"
build_dir=$(dirname "$GAME_DIR")
prefix=$work/prefix

cmake --install "$build_dir" --prefix "$prefix" >"$work/install.log" 2>&1 \
  || { cat "$work/install.log" >&2; fail "cmake --install failed"; }

for f in bin/vexlorn share/applications/vexlorn.desktop share/man/man6/vexlorn.6.gz \
  share/vexlorn/IMG/VX-Sprites.png share/vexlorn/SFX/shoot.wav share/vexlorn/Aaargh.ttf \
  share/icons/hicolor/32x32/apps/vexlorn.png; do
  [[ -e "$prefix/$f" ]] || fail "the installation lacks $f"
done
[[ -z "$(find "$prefix/bin" -mindepth 1 ! -name vexlorn)" ]] || fail "bin holds more than the launcher"
grep -qxF 'Categories=Game;ArcadeGame;' "$prefix/share/applications/vexlorn.desktop" \
  || fail "the desktop entry is not in the arcade games category"
before=$(cd "$prefix" && find . -printf '%p %s %T@\n' | sort)

# Starts the launcher from PATH (the installation's bin, or $installed_bin), in an unrelated
# folder, with the given environment.
start_installed() {
  mkdir -p "$work/elsewhere"
  (cd "$work/elsewhere" && exec env "$@" PATH="${installed_bin:-$prefix/bin}:$PATH" \
    SDL_AUDIODRIVER=dummy vexlorn) >"$work/stdout.txt" 2>"$work/stderr.txt" &
  # shellcheck disable=SC2034 # read by the helpers of lib.sh
  game_pid=$!
}

play_once() {
  start_installed "$@"
  find_window
  window_seen=$(window_size)
  xdotool key --window "$window_id" Escape
  wait_game_end
  [[ "$exit_status" == 0 ]] || fail "exit status $exit_status"
}

start_x
mkdir -p "$work/home_a" "$work/home_b" "$work/xdg_b"

# Player A's first start makes the folder, links the assets and writes the defaults there.
play_once -u XDG_DATA_HOME HOME="$work/home_a"
folder_a=$work/home_a/.local/share/vexlorn
[[ "$(cat "$folder_a/Video_Settings.cfg" 2>/dev/null)" == $'400\n300\n32\n0' ]] \
  || fail "player A's settings file is missing or reads: $(cat "$folder_a/Video_Settings.cfg")"
for asset in IMG SFX Aaargh.ttf; do
  [[ "$(readlink -f "$folder_a/$asset")" == "$(readlink -f "$prefix/share/vexlorn/$asset")" ]] \
    || fail "the player folder's $asset does not lead to the installed one"
done
for pair in bullet.png:Bullet.png bullet_explode.png:Bullet_Explode.png; do
  cmp -s "$folder_a/IMG/${pair%%:*}" "$folder_a/IMG/${pair##*:}" \
    || fail "the player folder does not give one image for ${pair/:/ and }"
done
# Every image, sound and the font load through the player folder's links.
grep -E 'Unable to load|Failed to Load' "$work/stdout.txt" && fail "an asset did not load"

# Player B, with XDG_DATA_HOME set, keeps a settings file of their own.
printf '640\n480\n32\n0\n' >"$folder_a/Video_Settings.cfg"
play_once HOME="$work/home_b" XDG_DATA_HOME="$work/xdg_b"
[[ "$window_seen" == 400x300 ]] || fail "player B got player A's window size: $window_seen"
[[ -f "$work/xdg_b/vexlorn/Video_Settings.cfg" ]] || fail "player B's settings file is missing"
[[ ! -e "$work/home_b/.local" ]] || fail "XDG_DATA_HOME was set, yet the home folder was used"

play_once -u XDG_DATA_HOME HOME="$work/home_a"
[[ "$window_seen" == 640x480 ]] || fail "player A's own settings were not used: $window_seen"

[[ ! -e "$work/elsewhere/Video_Settings.cfg" ]] || fail "settings were written in the caller's folder"
after=$(cd "$prefix" && find . -printf '%p %s %T@\n' | sort)
[[ "$before" == "$after" ]] || fail "the game changed its installation: $(diff <(echo "$before") <(echo "$after"))"

# Installed under the player's own ~/.local, as the README suggests, the installation's data
# folder is the player folder itself. Started three times, the game finds every asset each
# time, keeps its settings there, and the installed files stay as they were.
home_e=$work/home_e
cmake --install "$build_dir" --prefix "$home_e/.local" >"$work/install_home.log" 2>&1 \
  || { cat "$work/install_home.log" >&2; fail "cmake --install into ~/.local failed"; }
data_e=$home_e/.local/share/vexlorn
# Every file and link as it is; folders by name only, since the settings file is written in
# one of them.
installed_e() {
  (cd "$home_e/.local" && find . ! -name Video_Settings.cfg \
    \( -type d -printf '%p/\n' -o -printf '%p %y %s %T@ %l\n' \) | sort)
}
before_e=$(installed_e)
installed_bin=$home_e/.local/bin
for start in 1 2 3; do
  [[ $start != 3 ]] || printf '640\n480\n32\n0\n' >"$data_e/Video_Settings.cfg"
  play_once -u XDG_DATA_HOME HOME="$home_e"
  ! grep -E 'Unable to load|Failed to Load' "$work/stdout.txt" \
    || fail "start $start under ~/.local: an asset did not load"
  [[ -r "$data_e/Aaargh.ttf" && -d "$data_e/IMG" && -d "$data_e/SFX" ]] \
    || fail "start $start under ~/.local damaged the installed assets"
done
[[ "$window_seen" == 640x480 ]] || fail "the settings in the data folder were not used: $window_seen"
[[ "$(installed_e)" == "$before_e" ]] \
  || fail "starts under ~/.local changed the installation: $(diff <(echo "$before_e") <(installed_e))"

# A player folder that is a link to the data folder is the same case.
mkdir -p "$work/xdg_f"
ln -s "$data_e" "$work/xdg_f/vexlorn"
play_once HOME="$work/home_b" XDG_DATA_HOME="$work/xdg_f"
! grep -E 'Unable to load|Failed to Load' "$work/stdout.txt" \
  || fail "through a link to the data folder: an asset did not load"
[[ "$(installed_e)" == "$before_e" ]] \
  || fail "a linked player folder changed the installation: $(diff <(echo "$before_e") <(installed_e))"
unset installed_bin

# The bad cases: one line on standard error, a non-zero status and no game started.
expect_refusal() {
  local what=$1 pattern=$2
  shift 2
  local status=0
  # A launcher that wrongly starts the game is stopped rather than left to hang the test.
  (cd "$work/elsewhere" && exec timeout 20 env "$@" SDL_AUDIODRIVER=dummy "$launcher") \
    >"$work/stdout.txt" 2>"$work/stderr.txt" || status=$?
  [[ ! -s "$work/stdout.txt" ]] || fail "$what: the game was started"
  ((status != 0)) || fail "$what: the launcher returned 0"
  [[ $(wc -l <"$work/stderr.txt") == 1 ]] || fail "$what: not one line: $(cat "$work/stderr.txt")"
  grep -q -- "$pattern" "$work/stderr.txt" || fail "$what: unclear line: $(cat "$work/stderr.txt")"
}

launcher=$prefix/bin/vexlorn
expect_refusal "no home" "HOME" -u HOME -u XDG_DATA_HOME
# A relative HOME counts as none, even where it names a folder from the caller's folder.
mkdir -p "$work/elsewhere/relative_home"
expect_refusal "relative home" "HOME" -u XDG_DATA_HOME HOME=relative_home
[[ ! -e "$work/elsewhere/relative_home/.local" ]] || fail "a relative HOME was used"
: >"$work/home_c"
expect_refusal "home is a file" "$work/home_c" -u XDG_DATA_HOME HOME="$work/home_c"
mkdir -p "$work/home_d" && : >"$work/home_d/.local"
expect_refusal "folder cannot be made" "$work/home_d/.local/share/vexlorn" \
  -u XDG_DATA_HOME HOME="$work/home_d"

# Each piece missing from a copy of the installation, the font as a dangling link included.
for missing in share/vexlorn/IMG share/vexlorn/SFX share/vexlorn/Aaargh.ttf lib/vexlorn/vexlorn \
  dangling-font; do
  broken=$work/broken
  rm -rf "$broken" && cp -a "$prefix" "$broken"
  if [[ "$missing" == dangling-font ]]; then
    ln -sfn "$work/no-such-font.ttf" "$broken/share/vexlorn/Aaargh.ttf"
    name=share/vexlorn/Aaargh.ttf
  else
    rm -rf "${broken:?}/$missing"
    name=$missing
  fi
  launcher=$broken/bin/vexlorn
  expect_refusal "without $missing" "$name" -u XDG_DATA_HOME HOME="$work/home_a"
done
echo "ok"
