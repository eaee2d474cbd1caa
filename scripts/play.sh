#!/usr/bin/env bash
# The play command: installs what is missing, builds, stages build/game/ and starts the game
# there, where it finds its assets and keeps Video_Settings.cfg.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build" >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target vexlorn
if [[ -z "${DISPLAY:-}" ]]; then
  echo "vexlorn: no X display (DISPLAY is not set); to play without a screen, run: xvfb-run -s '-screen 0 1024x768x24' $0" >&2
  exit 1
fi
cd "$root/build/game"
exec ./vexlorn
