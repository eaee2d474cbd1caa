#!/usr/bin/env bash
# Installs the packages Vexlorn needs, and only those that are missing, so a second run does
# not touch apt at all.
#
#   scripts/setup.sh play    what building and playing need (the play command runs this)
#   scripts/setup.sh test    that and the test tools (the test command runs this; the default)
#
# Package names carry no version wherever Debian has an unversioned name, so the same list
# works on Debian 12 and 13. On a system without apt-get it only checks, and says in one line
# what is missing.
set -euo pipefail

mode=${1:-test}
case "$mode" in
  play | test) ;;
  *)
    echo "usage: $0 [play|test]" >&2
    exit 2
    ;;
esac

play_packages=(
  g++ make cmake pkg-config
  libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev
  libpng-dev fonts-dejavu-core
)
# llvm brings llvm-symbolizer, which names the functions in sanitizer reports; debootstrap
# builds the Debian 13 root of the CI; emscripten, chromium and nodejs serve the web tests.
test_packages=(
  git libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick xxd
  clang libclang-rt-dev llvm clang-format cppcheck valgrind
  debootstrap emscripten chromium nodejs python3
)

packages=("${play_packages[@]}")
[[ $mode == test ]] && packages+=("${test_packages[@]}")

# ---- without apt-get: check, and name what is missing ------------------------------------

has_header() { [[ -e /usr/include/$1 || -e /usr/local/include/$1 ]]; }

missing_without_apt() {
  local missing=() c m
  for c in c++ cmake make pkg-config; do
    command -v "$c" >/dev/null || missing+=("$c")
  done
  for m in sdl SDL_image SDL_mixer SDL_ttf libpng; do
    pkg-config --exists "$m" 2>/dev/null || missing+=("$m")
  done
  if [[ $mode == test ]]; then
    for c in Xvfb xdotool xprop xwininfo import convert clang++ clang-format cppcheck valgrind; do
      command -v "$c" >/dev/null || missing+=("$c")
    done
    for h in gtest/gtest.h gmock/gmock.h benchmark/benchmark.h; do
      has_header "$h" || missing+=("$h")
    done
  fi
  echo "${missing[*]}"
}

if ! command -v apt-get >/dev/null; then
  missing=$(missing_without_apt)
  [[ -z $missing ]] && exit 0
  echo "setup: this system has no apt-get; install the $mode packages for your system listed" \
    "under \"Supported systems\" in README.md (missing here: $missing)" >&2
  exit 1
fi

# ---- with apt-get ---------------------------------------------------------------------------

installed() { [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null || true) == "install ok installed" ]]; }

# Where the system's SDL 1.2 is the classic library, the game is played on sdl12-compat
# (its window sized to the screen) and the tests run it on both; such systems carry
# sdl12-compat in a private folder (libsdl1.2-compat). Where
# sdl12-compat already is the system's SDL 1.2, there is nothing to add. Known from the
# installed library, or else from the archive once its lists are current.
sdl_source() {
  local source
  source=$(dpkg-query -W -f='${source:Package}' libsdl1.2debian 2>/dev/null || true)
  if [[ -z $source ]]; then
    source=$(apt-cache show --no-all-versions libsdl1.2debian 2>/dev/null |
      sed -n 's/^Source: \([^ ]*\).*/\1/p' | head -n 1)
  fi
  echo "$source"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [[ $(sdl_source) == libsdl1.2 ]] && ! installed libsdl1.2-compat; then
  missing+=(libsdl1.2-compat)
fi

((${#missing[@]} == 0)) && exit 0

sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then
  if ! command -v sudo >/dev/null; then
    echo "setup: missing packages: ${missing[*]}; install them as root with: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  sudo_cmd=(sudo)
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
if [[ $(sdl_source) == libsdl1.2 ]] && ! installed libsdl1.2-compat &&
  [[ " ${missing[*]} " != *" libsdl1.2-compat "* ]]; then
  missing+=(libsdl1.2-compat)
fi
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
