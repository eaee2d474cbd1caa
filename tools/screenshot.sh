#!/usr/bin/env bash
# Takes a screenshot of the play field: the staged game runs in a private X server, the base
# moves and fires for a few seconds, and the window is captured and scaled up with hard edges.
# Usage: tools/screenshot.sh [GAME_FOLDER] [OUTPUT_PNG]   (defaults: build/game, screenshot.png)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
GAME_DIR=$(cd "${1:-$root/build/game}" && pwd)
out=$(realpath -m "${2:-screenshot.png}")
export GAME_DIR
# shellcheck source-path=SCRIPTDIR/..
# shellcheck source=tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"

start_x 1024x768x24
make_game_dir
start_game
find_window

# Walk right while firing, so the shot, the bursts and the first gaps in the formation show;
# the mystery ship crosses 5 to 10 seconds after the start.
xdotool keydown Right
for _ in $(seq 12); do
  xdotool key space
  sleep 0.45
done
xdotool keyup Right
for _ in $(seq 6); do
  xdotool key space
  sleep 0.4
done

# lib.sh made the scratch folder $work.
# shellcheck disable=SC2154
screenshot "$work/raw.png"
convert "$work/raw.png" -scale 200% "$out"
echo "screenshot: $out"
