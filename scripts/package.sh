#!/usr/bin/env bash
# The package command: installs what is missing, builds a release in its own build folder
# (default build-package/, or the folder given as the first argument) and makes the Debian
# package vexlorn_<version>_<arch>.deb there with CPack. The package follows Debian's layout
# for games (the launcher in /usr/games) and its hardened build flags.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-package}
"$root/scripts/setup.sh"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVEXLORN_TESTS=OFF \
  -DVEXLORN_BENCH=OFF -DCMAKE_INSTALL_PREFIX=/usr -DVEXLORN_INSTALL_BINDIR=games \
  -DCMAKE_C_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
rm -f vexlorn_*.deb
cpack -G DEB
deb=$(ls "$build"/vexlorn_*.deb)
# lintian is not part of the set-up; when it is there, an error in the package stops here.
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb"
fi
echo "$deb"
