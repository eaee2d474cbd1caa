#!/usr/bin/env bash
# cppcheck.sh: cppcheck over the game and the asset generator, failing on its warnings and
# errors only. Newer cppcheck versions also print "information:" lines about the analysis
# itself (2.17: "Limiting analysis of branches"); they are shown, and do not fail the check.
#
#   scripts/cppcheck.sh SOURCE_DIR
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

out=$(mktemp)
trap 'rm -f "$out"' EXIT

status=0
cppcheck --enable=warning,performance,portability --inline-suppr --std=c++17 --language=c++ \
  -I src --quiet --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
  src tools 2>"$out" || status=$?
cat "$out"

if ((status != 0)); then
  echo "cppcheck: stopped with status $status" >&2
  exit 1
fi
findings=$(grep -cE '^[^ ]*:[0-9]+:[0-9]+: (error|warning|style|performance|portability): ' "$out" || true)
if ((findings > 0)); then
  echo "cppcheck: $findings finding(s)" >&2
  exit 1
fi
