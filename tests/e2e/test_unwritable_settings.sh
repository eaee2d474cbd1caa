#!/usr/bin/env bash
# A settings file that cannot be written: the write error line once per start, and the game
# plays on in the mode it opened. Three ways to be unwritable: the file's name taken by a
# folder or by a FIFO (neither is read: the read error and the default window), and a
# settings file that may be read but not replaced.
source "$E2E_LIB"
start_x
make_game_dir
settings="$work/game/Video_Settings.cfg"
write_error="ERROR:  SDL.WriteConfig -> Unable to Write to File: Video_Settings.cfg"
read_error="ERROR:  SDL.ReadConfig -> Unable to Read From File: Video_Settings.cfg"
read_error+=" - Reverting to Defaults"

# Root may write into a read-only folder, so for root the file is made immutable instead;
# the trap lifts that again, or the scratch folder could not be removed.
lock_settings() {
  if [[ $(id -u) -ne 0 ]]; then
    chmod a-w "$settings" "$work/game"
  elif ! chattr +i "$settings" 2>/dev/null; then
    return 1
  fi
}
unlock_settings() {
  chattr -i "$settings" 2>/dev/null || true
  chmod u+w "$work/game" "$settings" 2>/dev/null || true
}
trap 'unlock_settings; cleanup' EXIT

# Plays for a second, checks the statistics reach the caption (the loop runs), then quits.
play_and_quit() {
  find_window
  for _ in $(seq 50); do
    [[ $(caption) == "Vexlorn - "*fps* ]] && break
    sleep 0.1
  done
  [[ $(caption) == "Vexlorn - "*fps* ]] || fail "the game loop does not run: caption '$(caption)'"
  xdotool key --window "$window_id" Escape
  wait_game_end
  [[ "$exit_status" == 0 ]] || fail "exit status $exit_status"
}

count_write_errors() { grep -cxF "$write_error" "$work/stdout.txt" || true; }

# The name taken by a folder, then by a FIFO, which would hold the start in open() for ever
# if it were opened like a file. Neither is read nor written over.
for kind in folder fifo; do
  if [[ $kind == folder ]]; then mkdir "$settings"; else mkfifo "$settings"; fi
  start_game
  find_window
  size=$(window_size)
  [[ $size == 400x300 ]] || fail "$kind: window is $size, expected the default"
  play_and_quit
  [[ $(count_write_errors) == 1 ]] || fail "$kind: expected the write error line once"
  grep -qxF "$read_error" "$work/stdout.txt" || fail "$kind: no read error line"
  if [[ $kind == folder ]]; then
    [[ -d "$settings" ]] || fail "the folder in the settings file's place is gone"
    rmdir "$settings"
  else
    [[ -p "$settings" ]] || fail "the FIFO in the settings file's place is gone"
    rm "$settings"
  fi
  echo "$kind in place of the settings file: window $size, read error, one write error"
done

# A settings file that cannot be replaced: its mode is used, and the file keeps its text.
printf '640 480 16 0' >"$settings"
if lock_settings; then
  start_game
  find_window
  [[ $(window_size) == 640x480 ]] || fail "window is $(window_size), expected 640x480"
  play_and_quit
  [[ $(count_write_errors) == 1 ]] || fail "expected the write error line once"
  grep -qxF "DEBUG:  SDL Window Created Sucessfully " "$work/stdout.txt" \
    || fail "the mode read from the file was not set"
  [[ "$(cat "$settings")" == "640 480 16 0" ]] || fail "the settings file changed"
  unlock_settings
  echo "unwritable settings file: window 640x480, one write error"
else
  echo "note: cannot make a file unwritable here (root without chattr); that case is skipped"
fi
echo "ok"
