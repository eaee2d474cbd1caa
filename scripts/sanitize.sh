#!/usr/bin/env bash
# sanitize.sh: the sanitizer build tree, its unit tests and the settings fuzzer.
# Usage: sanitize.sh build|unit|fuzz SOURCE_DIR TREE_DIR [fuzz seconds]
#   build  configures TREE_DIR with clang, AddressSanitizer and UndefinedBehaviorSanitizer,
#          and builds everything there, the fuzzer included
#   unit   runs that tree's tests, all but the end-to-end, style and full soak ones, with
#          leak detection
#   fuzz   runs the settings fuzzer from the seed corpus for a short while
set -euo pipefail
mode=$1
src=$(cd "$2" && pwd)
tree=$3
fuzz_seconds=${4:-20}

# Every report ends the run with a failure, and leaks count; known leaks of the system
# libraries are named in the suppressions file.
# Full stacks through the system libraries (built without frame pointers) name the caller.
export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$src/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

case "$mode" in
  build)
    flags="-O1 -g -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all"
    CC=clang CXX=clang++ cmake -S "$src" -B "$tree" \
      -DCMAKE_BUILD_TYPE=Debug \
      -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
      -DVEXLORN_BENCH=OFF -DVEXLORN_TOOLS=ON -DVEXLORN_SANITIZED_TREE=ON >/dev/null
    cmake --build "$tree" -j"$(nproc)"
    ;;
  unit)
    cd "$tree"
    # Excluding labels rather than selecting "unit" keeps tests that carry no label in.
    ctest -LE '^(e2e|style|soak_full)$' -j"$(nproc)" --output-on-failure --no-tests=error
    ;;
  fuzz)
    # New inputs go into a scratch folder so that the seed corpus in the source stays as it is.
    work=$(mktemp -d "$tree/fuzz-run-XXXXXX")
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$work/new" "$work/crashes"
    "$tree/settings_fuzzer" -max_total_time="$fuzz_seconds" -max_len=8192 -timeout=10 \
      -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/crashes/" \
      "$work/new" "$src/tests/fuzz/settings_corpus" 2>&1 | tee "$work/log" | tail -n 40
    status=${PIPESTATUS[0]}
    if ((status != 0)) || compgen -G "$work/crashes/*" >/dev/null; then
      echo "the settings fuzzer found a failing input (status $status):"
      for f in "$work"/crashes/*; do [[ -e "$f" ]] && xxd "$f" | head -n 20; done
      exit 1
    fi
    grep -E "stat::number_of_executed_units" "$work/log" || true
    ;;
  *)
    echo "unknown mode: $mode" >&2
    exit 2
    ;;
esac
