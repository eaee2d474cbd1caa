#!/usr/bin/env bash
# A full disk never costs the player the settings file: the game opens its window and plays,
# says once that it cannot write, and the file keeps its old bytes (or, when there was none,
# no empty one is left), with no temporary file beside it. Once there is room again the file
# is written as usual. The disk is a tiny tmpfs, filled up; it needs root to mount.
source "$E2E_LIB"
start_x
disk="$work/disk"
mkdir "$disk"
finish() {
  if [[ -n "$game_pid" ]]; then
    kill "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
    game_pid=""
  fi
  if mountpoint -q "$disk"; then umount "$disk" || umount -l "$disk"; fi
  cleanup
}
trap finish EXIT
if [[ $(id -u) -ne 0 ]] || ! mount -t tmpfs -o size=64k,mode=0755 tmpfs "$disk" 2>/dev/null; then
  echo "note: no tmpfs can be mounted here (it needs root); the full-disk case is skipped"
  exit 0
fi

# The game folder lives on the small disk; start_game runs the game in $work/game.
mkdir "$disk/game"
ln -s "$GAME_DIR/vexlorn" "$disk/game/vexlorn"
for a in IMG SFX Aaargh.ttf; do ln -s "$GAME_DIR/$a" "$disk/game/$a"; done
ln -s "$disk/game" "$work/game"
settings="$disk/game/Video_Settings.cfg"
write_error="ERROR:  SDL.WriteConfig -> Unable to Write to File: Video_Settings.cfg"

fill_disk() {
  dd if=/dev/zero of="$disk/filler.$1" bs=4k 2>/dev/null || true
  if printf x 2>/dev/null >"$disk/probe"; then fail "the disk is not full"; fi
  rm -f "$disk/probe"
}

# Starts the game, checks its window and that it says once that it cannot write, then quits.
run_on_full_disk() {
  local expected_size=$1
  start_game
  find_window
  [[ $(window_size) == "$expected_size" ]] \
    || fail "window is $(window_size), expected $expected_size"
  xdotool key --window "$window_id" Escape
  wait_game_end
  [[ "$exit_status" == 0 ]] || fail "exit status $exit_status"
  [[ $(grep -cxF "$write_error" "$work/stdout.txt") == 1 ]] \
    || fail "expected the write error line once"
}

left_in_game_dir() { (cd "$disk/game" && ls -A | sort | tr '\n' ' '); }

# A valid file on one line: a rewrite, even a partial one, would change its bytes.
printf '640 480 16 0' >"$settings"
fill_disk 1
run_on_full_disk 640x480
[[ "$(cat "$settings")" == "640 480 16 0" ]] \
  || fail "the settings file changed: $(od -c "$settings")"
[[ $(left_in_game_dir) == "Aaargh.ttf IMG SFX Video_Settings.cfg vexlorn " ]] \
  || fail "left in the game folder: $(left_in_game_dir)"
echo "full disk, valid settings file: window 640x480, one write error, the file unchanged"

# No file at all: the defaults, and no empty file left to ask for 0 x 0 on the next start.
rm "$settings"
fill_disk 2
run_on_full_disk 400x300
[[ ! -e "$settings" ]] || fail "a settings file of $(stat -c %s "$settings") bytes was left"
[[ $(left_in_game_dir) == "Aaargh.ttf IMG SFX vexlorn " ]] \
  || fail "left in the game folder: $(left_in_game_dir)"
echo "full disk, no settings file: window 400x300, one write error, no file left"

# With room again the same start writes the defaults.
rm -f "$disk"/filler.*
start_game
find_window
xdotool key --window "$window_id" Escape
wait_game_end
grep -qxF "$write_error" "$work/stdout.txt" && fail "a write error with room on the disk"
[[ "$(cat "$settings")" == $'400\n300\n32\n0' ]] || fail "settings file reads: $(cat "$settings")"
echo "ok"
