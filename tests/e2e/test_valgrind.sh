#!/usr/bin/env bash
# The real game under valgrind's memcheck for a few seconds of play: moving, firing, then
# Escape. No invalid read or write anywhere, and no definite leak with a frame of our code.
source "$E2E_LIB"
command -v valgrind >/dev/null || fail "valgrind is not installed"
start_x
make_game_dir
log="$work/valgrind.log"
root=$(cd "$(dirname "$E2E_LIB")/../.." && pwd)

start_game valgrind --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
  --show-leak-kinds=definite --num-callers=30 --fullpath-after= --log-file="$log" \
  --suppressions="$root/tests/valgrind.supp"
find_window 1200
# The statistics in the caption show that frames are running, however slowly.
for _ in $(seq 600); do
  [[ $(caption 2>/dev/null) == *fps* ]] && break
  sleep 0.1
done

# A few seconds of play: both directions, fire now and then.
for key in Left a space Right d Up w space; do
  xdotool keydown --window "$window_id" "$key"
  sleep 0.6
  xdotool keyup --window "$window_id" "$key"
done
xdotool key --window "$window_id" Escape
wait_game_end 1800
grep -qxF "DEBUG:  Libraries Cleaned Up, Exiting Program " "$work/stdout.txt" \
  || fail "the game did not shut down cleanly"

# A report block runs from its headline to the next blank line ("==pid== " only).
blocks_with() {
  awk -v head="$1" '
    { sub(/^==[0-9]+== ?/, "") }
    index($0, head) { keep = 1; block = "" }
    keep { block = block $0 "\n" }
    keep && $0 == "" { print block; keep = 0 }
    END { if (keep) print block }' "$log"
}
invalid=$(blocks_with "Invalid read"; blocks_with "Invalid write"; blocks_with "Invalid free")
[[ -z "$invalid" ]] || { echo "$invalid" | head -n 60 >&2; fail "memcheck found invalid accesses"; }
# A definite leak is ours when the first frame past the allocator lies in our sources;
# every stack ends in main, so a frame of ours further down proves nothing.
ours=$(blocks_with "definitely lost" | awk -v RS= -v src="$root/src/" '
  {
    n = split($0, line, "\n")
    for (i = 1; i <= n; i++) {
      if (line[i] !~ /^ *(at|by) /) continue
      if (line[i] ~ /(malloc|calloc|realloc|memalign|operator new|strn?dup)[ (]/) continue
      if (index(line[i], src)) print $0 "\n"
      break
    }
  }')
[[ -z "$ours" ]] || { echo "$ours" | head -n 60 >&2; fail "definite leaks from the game's code"; }
grep -E "ERROR SUMMARY|definitely lost:" "$log" | sed 's/^==[0-9]*== //'
[[ "$exit_status" == 0 || "$exit_status" == 99 ]] || fail "exit status $exit_status"
echo "ok"
