#!/usr/bin/env bash
# test-sdl12-compat.sh: the unit, replay and end-to-end suites again, with the game and the
# tests on sdl12-compat instead of the classic SDL 1.2.15, on a system that carries
# sdl12-compat in its private folder beside the classic library (Debian 12's
# libsdl1.2-compat, installed by scripts/setup.sh test). Builds like the test command first.
#
#   scripts/test-sdl12-compat.sh [ctest arguments]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" test

multiarch=$(gcc -print-multiarch 2>/dev/null || true)
lib=/usr/lib/$multiarch/sdl12-compat
if [[ ! -e $lib/libSDL-1.2.so.0 ]]; then
  echo "sdl12-compat: $lib/libSDL-1.2.so.0 is not there; this leg needs Debian 12's libsdl1.2-compat" \
    "(where sdl12-compat is the system's own SDL 1.2, scripts/test.sh already runs on it)" >&2
  exit 1
fi

cmake -S "$root" -B "$root/build" -DVEXLORN_TESTS=ON -DVEXLORN_BENCH=ON >/dev/null
cmake --build "$root/build" -j"$(nproc)"

export LD_LIBRARY_PATH=$lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
# Proof that the game really loads the library from the private folder.
loaded=$(ldd "$root/build/game/vexlorn" | awk '/libSDL-1.2.so/ { print $3 }')
if [[ $loaded != "$lib/"* ]]; then
  echo "sdl12-compat: the game loads $loaded, not the library in $lib" >&2
  exit 1
fi
echo "sdl12-compat: the game and the tests load $loaded"

cd "$root/build"
exec ctest --output-on-failure -j"$(nproc)" -L '^(unit|e2e)$' -LE '^(soak_full|web)$' "$@"
