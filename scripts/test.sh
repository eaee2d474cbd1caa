#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test (unit, end-to-end,
# style, sanitizers, fuzzing) through CTest. Extra arguments go to ctest, e.g. -R fleet.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" test
cmake -S "$root" -B "$root/build" -DVEXLORN_TESTS=ON -DVEXLORN_BENCH=ON >/dev/null
cmake --build "$root/build" -j"$(nproc)"
cd "$root/build"
# ctest heeds only one -LE, so labels the caller leaves out join the hour-long soak's.
exclude='^soak_full$'
args=()
while (($# > 0)); do
  if [[ $1 == -LE && $# -ge 2 ]]; then
    exclude="$exclude|$2"
    shift 2
  else
    args+=("$1")
    shift
  fi
done
exec ctest --output-on-failure -j"$(nproc)" -LE "$exclude" "${args[@]}"
