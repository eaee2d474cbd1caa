#!/usr/bin/env bash
# bench.sh: what a frame of the game costs, measured two ways, printed as one table.
#
#   scripts/bench.sh [BUILD_DIR]      (default: build-bench, configured Release at -O2)
#
# 1. frame_bench: one frame of the real loop (clear, moves, draws; no flip, no pacing) on
#    SDL's dummy video driver, scene by scene, as CPU nanoseconds per frame (median and
#    fastest of repetitions) and as a ratio to the floor at the same size: a frame that only
#    clears the screen and blits 55 invader-sized sprites from the sheet in the screen's own
#    layout. "loaded" is the ratio to the same floor blitting the sheet as the file loads.
#    When valgrind is installed (and BENCH_CALLGRIND is not 0), the same frames are also
#    counted in instructions under callgrind, which a busy machine does not disturb.
# 2. The real binary in a private X server for BENCH_SECONDS (default 10) at 400 x 300 and
#    1920 x 1080, beside bare_sdl (the same window set-up and limiter around a frame that
#    only clears and flips; "bare+audio" also opens the sound device the way the game does):
#    process CPU seconds per 1000 frames, the ratio to the bare program and to bare+audio,
#    peak resident memory, the window's size and the frames of every one-second window, read
#    from the caption as the game sets it; the median of BENCH_ROUNDS (default 3) rounds in
#    which the programs take turns, so that a busy machine tells less. On both SDL 1.2
#    libraries when the system has sdl12-compat in its private folder (Debian 12's
#    libsdl1.2-compat): the classic one, and sdl12-compat through LD_LIBRARY_PATH. Never compare across libraries: sdl12-compat under
#    Xvfb presents through Mesa's software GL, which costs far more than the game's frame.
# 3. On sdl12-compat, the 400 x 300 game and bare+audio with the window scaled 1, 2 and 3
#    times by the library (SDL12COMPAT_WINDOW_SCALING, nearest sampling).
#
# Budget: scenes at most 1.5 x the floor at 400 x 300 and 1.2 x at 1920 x 1080; the game at
# most 1.3 x the bare program's CPU per frame on the classic library and 1.1 x bare+audio on
# sdl12-compat, under 32 MB on the classic library, 60 frames in every window.
# BENCH_FRAMES=0 leaves out the frame benchmark (part 1); BENCH_SIZES, BENCH_SCALES and
# BENCH_LIBRARIES (classic, sdl12-compat) narrow parts 2 and 3.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-bench}
seconds=${BENCH_SECONDS:-10}
rounds=${BENCH_ROUNDS:-3}
repetitions=${BENCH_REPETITIONS:-5}
callgrind=${BENCH_CALLGRIND:-1}
frames_part=${BENCH_FRAMES:-1}
callgrind_frames=${BENCH_CALLGRIND_FRAMES:-128}
read -r -a sizes <<<"${BENCH_SIZES:-400x300 1920x1080}"
read -r -a scales <<<"${BENCH_SCALES:-1 2 3}"
compat_dir=/usr/lib/$(gcc -print-multiarch 2>/dev/null || echo x86_64-linux-gnu)/sdl12-compat

if [[ ! -f "$build/CMakeCache.txt" ]]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" "-DCMAKE_C_FLAGS_RELEASE=-O2 -DNDEBUG" \
    -DVEXLORN_BENCH=ON -DVEXLORN_TESTS=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target vexlorn frame_bench bare_sdl >/dev/null

game_dir=$build/game
work=$(mktemp -d /tmp/vexlorn-bench-XXXXXX)
xvfb_pid=""
program_pid=""
spy_pid=""

cleanup() {
  for pid in "$spy_pid" "$program_pid" "$xvfb_pid"; do
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# ---- 1. the frame benchmark ---------------------------------------------------------------

# Prints "name median_ns fastest_ns" for every benchmark, over its repetitions.
frame_stats() {
  "$build/bench/frame_bench" --screen="$1" --game-dir="$game_dir" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_format=csv 2>/dev/null |
    awk -F, 'NR > 1 && $1 ~ /_(median|min)"$/ {
      gsub(/"/, "", $1); stat = $1; sub(/.*_/, "", stat); sub(/_[a-z]+$/, "", $1);
      if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 }
      value[$1, stat] = $4 }
      END { for (i = 1; i <= n; ++i) print order[i], value[order[i], "median"], value[order[i], "min"] }'
}

# Reads "name value [fastest]" lines for one size and prints the table rows: the floors, then
# each scene with its ratio to the floor, the ratio of the fastest runs (when there are
# fastest values), and the ratio to the floor that blits the sheet as loaded.
ratio_rows() {
  awk -v size="$1" -v budget="$2" '
    { split($1, part, "/"); key = part[1] == "frame" ? part[2] : part[1];
      v[key] = $2; fast[key] = $3;
      if (part[1] == "frame") order[++n] = key }
    function fastest(k) { return fast[k] == "" ? "" : sprintf("%.0f", fast[k]) }
    function fastest_ratio(k) {
      return fast[k] == "" ? "" : sprintf("%.2f", fast[k] / fast["floor"]) }
    END {
      printf "%-12s %-10s %12.0f %12s\n", "floor", size, v["floor"], fastest("floor")
      printf "%-12s %-10s %12.0f %12s %7s %7s %7.2f\n", "floor_loaded", size, v["floor_loaded"],
             fastest("floor_loaded"), "", "", v["floor_loaded"] / v["floor"]
      for (i = 1; i <= n; ++i) {
        s = order[i]; r = v[s] / v["floor"];
        printf "%-12s %-10s %12.0f %12s %7.2f %7s %7.2f %7.1f  %s\n", s, size, v[s],
               fastest(s), r, fastest_ratio(s), v[s] / v["floor_loaded"], budget,
               r <= budget ? "yes" : "NO"
      }
    }'
}

budget_at() { [[ $1 == 400x300 ]] && echo 1.5 || echo 1.2; }

frame_table() {
  echo "Frame of the real loop, dummy video driver (CPU ns per frame, median and fastest of $repetitions)"
  printf '%-12s %-10s %12s %12s %7s %7s %7s %7s  %s\n' scene size median fastest ratio \
    fastest loaded budget ok
  for size in "${sizes[@]}"; do
    frame_stats "$size" | ratio_rows "$size" "$(budget_at "$size")"
  done
}

# Instructions per frame of one benchmark, counted only inside the frame itself.
frame_instructions() {
  local out=$work/callgrind.out
  rm -f "$out"
  valgrind --tool=callgrind --callgrind-out-file="$out" --collect-atstart=no \
    --toggle-collect='frame_work*' --toggle-collect='*floor_work*' \
    "$build/bench/frame_bench" --screen="$1" --game-dir="$game_dir" \
    --frames="$callgrind_frames" --benchmark_filter="^$2/" >/dev/null 2>&1
  awk -v n="$callgrind_frames" '/^(summary|totals):/ { print $2 / n; exit }' "$out"
}

callgrind_table() {
  [[ $callgrind != 0 ]] && command -v valgrind >/dev/null || return 0
  echo
  echo "The same frames in instructions (callgrind, $callgrind_frames frames each)"
  printf '%-12s %-10s %12s %12s %7s %7s %7s %7s  %s\n' scene size Ir/frame "" ratio "" \
    loaded budget ok
  for size in "${sizes[@]}"; do
    for name in floor floor_loaded frame/start frame/bunkers frame/shot frame/bullets40; do
      echo "$name/$size $(frame_instructions "$size" "$name")"
    done | ratio_rows "$size" "$(budget_at "$size")"
  done
}

# ---- 2. the real binary under X ----------------------------------------------------------

start_x() {
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" \
    2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n 1 "$work/display")"
  for _ in $(seq 50); do
    xdpyinfo >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "bench: Xvfb does not answer" >&2
  exit 1
}

# CPU time of every thread of the process, in nanoseconds: finer than the clock ticks of
# /proc/PID/stat, which would be a few per cent of a bare program's 20 seconds.
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f\n", s }'; }
peak_kb() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# Runs one program in a scratch game folder at one size, with the variables in run_env, and
# sets result to "cpu_seconds frames peak_kb window_size window_frames..." for the windows
# after the first two.
run_env=()
measure() {
  local size=$1
  shift
  local folder=$work/run
  rm -rf "$folder"
  mkdir -p "$folder"
  for a in IMG SFX Aaargh.ttf; do ln -s "$game_dir/$a" "$folder/$a"; done
  printf '%s\n%s\n32\n0\n' "${size%x*}" "${size#*x}" >"$folder/Video_Settings.cfg"
  (cd "$folder" && exec env SDL_AUDIODRIVER=dummy "${run_env[@]}" "$@") >"$folder/stdout.txt" 2>&1 &
  program_pid=$!
  local window=""
  for _ in $(seq 100); do
    window=$(xdotool search --name '^Vexlorn' 2>/dev/null | head -n 1 || true)
    [[ -n "$window" ]] && break
    sleep 0.1
  done
  if [[ -z "$window" ]]; then
    echo "bench: no window for $*" >&2
    exit 1
  fi
  local window_size
  window_size=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
  # Every setting of the caption is one closed window, also when its text repeats.
  xprop -spy -id "$window" WM_NAME >"$folder/captions.txt" 2>/dev/null &
  spy_pid=$!
  local skip=2 seen=0 start_cpu="" frames=0 windows="" peak=0 end_cpu=0
  local deadline=$((SECONDS + seconds + skip + 2))
  while ((SECONDS < deadline)); do
    sleep 0.05
    local count
    count=$(grep -c 'fps - ' "$folder/captions.txt" || true)
    while ((seen < count)); do
      seen=$((seen + 1))
      local n
      n=$(grep 'fps - ' "$folder/captions.txt" | sed -n "${seen}p" |
        sed -E 's/.*Vexlorn - ([0-9]+)\/60 fps.*/\1/')
      if ((seen == skip)); then
        start_cpu=$(cpu_ns "$program_pid")
      elif ((seen > skip)); then
        frames=$((frames + n))
        windows+=" $n"
        end_cpu=$(cpu_ns "$program_pid")
        peak=$(peak_kb "$program_pid")
      fi
    done
    ((seen >= skip + seconds)) && break
  done
  kill "$spy_pid" "$program_pid" 2>/dev/null || true
  wait "$spy_pid" "$program_pid" 2>/dev/null || true
  spy_pid=""
  program_pid=""
  result=$(awk -v t=$((end_cpu - start_cpu)) -v f="$frames" -v p="$peak" -v s="$window_size" \
    -v w="$windows" 'BEGIN { printf "%.4f %d %d %s%s\n", t / 1e9, f, p, s, w }')
}

# One row: program, library and size, its figures, and its CPU per frame against the bare
# program's and bare+audio's of the same library and size.
print_row() {
  local program=$1 library=$2 size=$3
  read -r cpu frames peak window windows <<<"$result"
  local per
  per=$(awk -v c="$cpu" -v f="$frames" 'BEGIN { printf "%.3f", (f > 0 ? 1000 * c / f : 0) }')
  case $program in
    bare) bare_per=$per ;;
    bare+audio) audio_per=$per ;;
  esac
  ratio() { awk -v a="$per" -v b="$1" 'BEGIN { if (b > 0) printf "%.2f", a / b; else printf "-" }'; }
  printf '%-11s %-12s %-10s %-10s %7d %9.3f %9.3f %6s %6s %8.1f  %s\n' "$program" "$library" \
    "$size" "$window" "$frames" "$cpu" "$per" "$(ratio "$bare_per")" "$(ratio "$audio_per")" \
    "$(awk -v k="$peak" 'BEGIN { print k / 1024 }')" "$windows"
}

table_head() {
  printf '%-11s %-12s %-10s %-10s %7s %9s %9s %6s %6s %8s  %s\n' program library size window \
    frames cpu_s s/1000fr /bare /audio peak_MB "frames per window"
}

library_env() {
  run_env=()
  [[ $1 == sdl12-compat ]] && run_env=("LD_LIBRARY_PATH=$compat_dir")
  return 0
}

# Runs each program of a group rounds times, the programs taking turns so that a change in the
# machine's load falls on all of them alike, and prints each program's median round (by CPU
# per frame). A group is "program:command..." words; the command's arguments are split on
# commas.
measure_group() {
  local library=$1 size=$2 label=$3
  shift 3
  declare -A runs=()
  local round entry program
  for ((round = 1; round <= rounds; ++round)); do
    for entry in "$@"; do
      program=${entry%%:*}
      local command
      IFS=, read -r -a command <<<"${entry#*:}"
      library_env "$library"
      run_env+=("${extra_env[@]}")
      measure "$size" "${command[@]}"
      runs[$program]+="$result"$'\n'
    done
  done
  bare_per="" audio_per=""
  for entry in "$@"; do
    program=${entry%%:*}
    result=$(printf '%s' "${runs[$program]}" | awk 'NF { print ($2 > 0 ? $1 / $2 : 0), $0 }' |
      sort -g | awk '{ line[NR] = $0 } END { print line[int((NR + 1) / 2)] }' | cut -d' ' -f2-)
    print_row "$program" "$label" "$size"
  done
}

binary_table() {
  start_x
  local libraries=(classic)
  [[ -e $compat_dir/libSDL-1.2.so.0 ]] && libraries+=(sdl12-compat)
  [[ -n ${BENCH_LIBRARIES:-} ]] && read -r -a libraries <<<"$BENCH_LIBRARIES"
  local bare=bare:$build/bench/bare_sdl audio=bare+audio:$build/bench/bare_sdl,--audio
  local game=game:$game_dir/vexlorn
  echo
  echo "Real binary under Xvfb (1920 x 1080 screen): ${seconds} one-second windows after two of" \
    "warm-up, the median of $rounds rounds"
  table_head
  extra_env=()
  for library in "${libraries[@]}"; do
    for size in "${sizes[@]}"; do
      measure_group "$library" "$size" "$library" "$bare" "$audio" "$game"
    done
  done
  [[ " ${libraries[*]} " == *" sdl12-compat "* ]] || return 0
  echo
  echo "sdl12-compat, 400 x 300 scaled by the library (SDL12COMPAT_WINDOW_SCALING, nearest)"
  table_head
  for scale in "${scales[@]}"; do
    extra_env=("SDL12COMPAT_WINDOW_SCALING=$scale" "SDL12COMPAT_SCALE_METHOD=nearest")
    measure_group sdl12-compat 400x300 "compat-${scale}x" "$audio" "$game"
  done
}

if [[ $frames_part != 0 ]]; then
  frame_table
  callgrind_table
fi
binary_table
