#!/usr/bin/env bash
# Installs the Debian packages Vexlorn needs to build, test and play, and only those
# that are missing, so a second run does not touch apt at all.
set -euo pipefail

packages=(
  g++ make cmake pkg-config git
  libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libsdl-ttf2.0-dev
  libpng-dev libgtest-dev libgmock-dev libbenchmark-dev
  fonts-dejavu-core
  xvfb xdotool x11-utils imagemagick
  clang libclang-rt-14-dev clang-format cppcheck valgrind
  emscripten chromium nodejs python3
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "setup: installing ${missing[*]}"
sudo_cmd=()
if [[ $(id -u) -ne 0 ]]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
