#!/usr/bin/env bash
# test-debian13.sh: the README's test command on Debian 13, in a root made with debootstrap,
# as a newcomer there would run it: a fresh clone of this repository's HEAD, then
# scripts/test.sh, which installs what it needs with the root's own apt.
#
#   sudo scripts/test-debian13.sh [ctest arguments]
#
# The root is kept between runs in VEXLORN_CI_CACHE (default /var/cache/vexlorn-ci/trixie),
# outside the clone, with the packages the test command installed into it. It is made anew
# when it is missing, broken, older than VEXLORN_CI_ROOT_DAYS days (default 7), or when
# VEXLORN_CI_REBUILD=1. /proc, /dev and /dev/pts are mounted into it for the run only, in a
# mount namespace of the run's own where the system allows one, and unmounted on every way
# out. Runs on the same machine wait for each other.
#
# The web tests (label web) are left out here: they build with emscripten and run in a
# headless browser, which the Debian 12 run of the test command covers.
set -euo pipefail

src=$(cd "$(dirname "$0")/.." && pwd)
cache=${VEXLORN_CI_CACHE:-/var/cache/vexlorn-ci}
root=$cache/trixie
mirror=${VEXLORN_CI_MIRROR:-http://deb.debian.org/debian}
max_days=${VEXLORN_CI_ROOT_DAYS:-7}
stamp=$root/.vexlorn-ci-root
exclude='^(soak_full|web)$'

say() { echo "debian13: $*"; }

if [[ $(id -u) -ne 0 ]]; then
  if command -v sudo >/dev/null; then exec sudo --preserve-env=VEXLORN_CI_CACHE,VEXLORN_CI_MIRROR,VEXLORN_CI_ROOT_DAYS,VEXLORN_CI_REBUILD "$0" "$@"; fi
  say "needs root (debootstrap, mount, chroot); run it with sudo"
  exit 1
fi
for c in debootstrap chroot mount umount findmnt flock git; do
  if ! command -v "$c" >/dev/null; then
    say "needs $c; install it with: scripts/setup.sh test"
    exit 1
  fi
done

# A mount namespace of our own takes the mounts away with the run even if it is killed
# outright; the trap below unmounts them in any case.
if [[ -z ${VEXLORN_CI_UNSHARED:-} ]] && unshare --mount --propagation private true 2>/dev/null; then
  export VEXLORN_CI_UNSHARED=1
  exec unshare --mount --propagation private "$0" "$@"
fi

mkdir -p "$cache"
exec 9>"$cache/trixie.lock"
if ! flock -n 9; then
  say "another run holds $cache/trixie.lock; waiting"
  flock 9
fi

# ---- mounts ----------------------------------------------------------------------------------

mounts_under() { findmnt -rn -o TARGET | awk -v r="$1/" 'index($0 "/", r) == 1' | sort -r; }

# Processes still running inside the root are this run's own (the lock keeps other runs out):
# an X server a test left behind would keep /dev busy.
stop_processes_in() {
  local pid target
  for pid in $(ls /proc | grep -E '^[0-9]+$'); do
    target=$(readlink "/proc/$pid/root" 2>/dev/null || true)
    [[ $target == "$1" ]] && kill -KILL "$pid" 2>/dev/null || true
  done
}

unmount_all() {
  local dir=$1 m
  [[ -z $(mounts_under "$dir") ]] && return 0
  stop_processes_in "$dir"
  for _ in 1 2 3 4 5; do
    for m in $(mounts_under "$dir"); do umount "$m" 2>/dev/null || true; done
    [[ -z $(mounts_under "$dir") ]] && return 0
    sleep 1
  done
  for m in $(mounts_under "$dir"); do umount -l "$m" || true; done
  [[ -z $(mounts_under "$dir") ]]
}

cleanup() {
  local status=$?
  if ! unmount_all "$root"; then
    say "could not unmount: $(mounts_under "$root" | tr '\n' ' ')"
    status=1
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Deletes a root, never through a mount into the running system.
remove_root() {
  local dir=$1
  [[ -e $dir ]] || return 0
  if ! unmount_all "$dir"; then
    say "$dir still has mounts; not deleting it"
    exit 1
  fi
  rm -rf --one-file-system "$dir"
}

# ---- the cached root -------------------------------------------------------------------------

root_is_usable() {
  [[ -f $stamp && -x $root/bin/bash && -x $root/usr/bin/apt-get ]] || return 1
  [[ $(cut -d. -f1 "$root/etc/debian_version" 2>/dev/null) == 13 ]] || return 1
  [[ -n $(find "$stamp" -mtime -"$max_days" 2>/dev/null) ]] || return 1
  chroot "$root" /bin/true 2>/dev/null || return 1
  [[ -z $(chroot "$root" dpkg --audit 2>&1) ]]
}

make_root() {
  local new=$root.new
  remove_root "$new"
  remove_root "$root"
  say "making a Debian 13 root in $root (debootstrap --variant=minbase trixie)"
  debootstrap --variant=minbase trixie "$new" "$mirror" >"$cache/debootstrap.log" 2>&1 || {
    tail -n 20 "$cache/debootstrap.log"
    say "debootstrap failed; its log: $cache/debootstrap.log"
    remove_root "$new"
    exit 1
  }
  mv "$new" "$root"
  date -u +%FT%TZ >"$stamp"
}

if [[ ${VEXLORN_CI_REBUILD:-0} == 1 ]] || ! root_is_usable; then
  make_root
fi

# ---- the run -------------------------------------------------------------------------------

commit=$(git -C "$src" rev-parse HEAD)
if [[ -n $(git -C "$src" status --porcelain --untracked-files=no) ]]; then
  say "testing commit ${commit:0:12}; changes not committed are not part of the clone"
fi
clone=$root/root/vexlorn
remove_root "$clone"
git clone -q --no-checkout "$src" "$clone"
git -C "$clone" checkout -q --detach "$commit"

cp -L /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"

# The environment of a fresh login, not this one's. The run waits in the background so that
# a signal reaches the trap at once rather than when the tests end.
status=0
chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  HOME=/root LANG=C.UTF-8 TERM="${TERM:-dumb}" \
  /bin/bash -c 'cd /root/vexlorn && exec scripts/test.sh "$@"' test.sh -LE "$exclude" "$@" &
wait $! || status=$?
exit "$status"
