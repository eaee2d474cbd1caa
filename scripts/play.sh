#!/usr/bin/env bash
# The play command: installs what is missing, builds, stages build/game/ and starts the game
# there, where it finds its assets and keeps Video_Settings.cfg.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" play
# A first configure leaves the tests and benchmarks out: their packages come with the test
# command, which switches them on in the same tree.
options=()
[[ -f "$root/build/CMakeCache.txt" ]] || options=(-DVEXLORN_TESTS=OFF -DVEXLORN_BENCH=OFF)
cmake -S "$root" -B "$root/build" "${options[@]}" >/dev/null
cmake --build "$root/build" -j"$(nproc)" --target vexlorn
if [[ -z "${DISPLAY:-}" ]]; then
  echo "vexlorn: no X display (DISPLAY is not set); to play without a screen, run: xvfb-run -s '-screen 0 1024x768x24' $0" >&2
  exit 1
fi
cd "$root/build/game"
# As the installed launcher does: Debian 12 keeps sdl12-compat, which shows the window sized
# to the screen, in a private folder beside its multiarch library folder.
if [[ "${VEXLORN_SDL:-}" != classic ]]; then
  multiarch=$(ldd ./vexlorn | awk '$1 == "libc.so.6" && !seen++ { n = split($3, p, "/"); print p[n - 1] }')
  compat=/usr/lib/$multiarch/sdl12-compat
  if [[ -n "$multiarch" && -e "$compat/libSDL-1.2.so.0" ]]; then
    export LD_LIBRARY_PATH=$compat${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
  fi
fi
exec ./vexlorn
