#!/usr/bin/env bash
# Builds the browser version into build-web/ (or $1): index.html, its script, the wasm and the
# data file with the images and sounds, and the font.
# The assets come from the desktop build's generator: VEXLORN_ASSETS names a staged game folder
# to reuse (the tests pass build/game); without it the desktop tree build/ makes them.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$(realpath -m "${1:-$root/build-web}")

if [[ -z "${VEXLORN_ASSETS:-}" ]]; then
  cmake -S "$root" -B "$root/build" >/dev/null
  cmake --build "$root/build" -j"$(nproc)" --target assets
  VEXLORN_ASSETS=$root/build/game
fi

# Debian's emscripten finds its node modules only here.
export NODE_PATH=${NODE_PATH:-/usr/share/nodejs}
emcmake cmake -S "$root/web" -B "$out" -DVEXLORN_ASSETS="$(realpath "$VEXLORN_ASSETS")" >/dev/null
cmake --build "$out" -j"$(nproc)"
echo "build-web: $out/index.html"
