#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test (unit, end-to-end,
# style, sanitizers, fuzzing) through CTest. Extra arguments go to ctest, e.g. -R fleet.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" test
cmake -S "$root" -B "$root/build" -DVEXLORN_TESTS=ON -DVEXLORN_BENCH=ON >/dev/null
cmake --build "$root/build" -j"$(nproc)"
cd "$root/build"
exec ctest --output-on-failure -j"$(nproc)" -LE soak_full "$@"
