#!/usr/bin/env bash
# The 32-bit lane: runs every test labelled lane32 on the product's i686 build. Extra
# arguments go to ctest, as with test.sh.
#
# A host that runs 32-bit programs runs the label directly with test.sh. Elsewhere the
# genuine PE32 binaries run by emulation: a Debian trixie chroot (Wine 10 in the classic
# layout) whose 32-bit Wine loader is started through qemu-i386. The chroot is made once,
# when missing, in $OV_LANE32_CACHE (default /var/cache/orvanel/lane32, outside the clone
# so that fresh clones reuse it). Each run works in private mount and process namespaces:
# /proc, /dev, /sys, a private /tmp and the source tree (at the same absolute path) are
# mounted into the chroot, Xvfb and a persistent wineserver run inside it, and all of it
# is stopped and unmounted when the run ends, whatever the outcome.
#
# Tests that catch hardware access violations cannot run under qemu (a fault arrives as
# an illegal instruction); gtest cases named *HardwareFault* are left out of the
# emulated lane and run in the x86_64 suite (and in the native 32-bit lane).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cache=${OV_LANE32_CACHE:-/var/cache/orvanel/lane32}
root=$cache/root
mirror=${OV_LANE32_MIRROR:-http://deb.debian.org/debian}
# Bump when the package list or the loader wrapper changes: the chroot is completed again.
lane_version=1
pkgs=(
  wine wine64 wine32:i386 libwine:i386 libwine:amd64 qemu-user
  xvfb xauth fonts-wine
  libgl1-mesa-dri:i386 libglx-mesa0:i386 libgl1:i386 libcups2:i386
  libgl1-mesa-dri:amd64 libglx-mesa0:amd64 libgl1:amd64 libcups2:amd64
  unixodbc libodbc2 libodbc2:i386 libodbcinst2:i386 libsqliteodbc libsqliteodbc:i386
  sqlite3 cmake
)
gtest_skip='*HardwareFault*'

# Mounts what the chroot needs. Called inside a private mount namespace, so that the
# mounts vanish with it even when this script is killed.
lane_mount() {
  mount --make-rprivate /
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --make-rslave "$root/dev"
  mount -t sysfs sysfs "$root/sys"
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
  local d
  for d in "$@"; do
    mkdir -p "$root$d"
    mount --bind "$d" "$root$d"
  done
}

lane_umount() {
  local m
  # Deepest first.
  for m in $(awk -v r="$root" 'index($2, r) == 1 { print $2 }' /proc/self/mounts | sort -r); do
    umount -l "$m" 2>/dev/null || true
  done
}

# Runs a command in the chroot with a clean environment.
lane_chroot() {
  chroot "$root" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"
}

# Stage run in the namespaces: completes the chroot's packages and the loader wrapper.
lane_complete_chroot() {
  lane_mount
  trap lane_umount EXIT
  local log=$cache/setup.log
  {
    lane_chroot dpkg --add-architecture i386
    lane_chroot apt-get update -qq
    lane_chroot apt-get install -y -qq --no-install-recommends "${pkgs[@]}"
    # The 32-bit loader goes through qemu; -0 keeps argv[0], so that Wine's re-exec of
    # itself and 32-bit child processes come back through this wrapper.
    if ! lane_chroot dpkg-divert --list /usr/lib/wine/wine | grep -q wine.i386; then
      lane_chroot dpkg-divert --local --rename --divert /usr/lib/wine/wine.i386 --add /usr/lib/wine/wine
    fi
    printf '%s\n' '#!/bin/sh' \
      'exec /usr/bin/qemu-i386 -0 /usr/lib/wine/wine /usr/lib/wine/wine.i386 "$@"' \
      >"$root/usr/lib/wine/wine"
    chmod 755 "$root/usr/lib/wine/wine"
    lane_chroot apt-get clean
  } >>"$log" 2>&1 || { tail -30 "$log"; echo "lane32: setting up the chroot FAILED (log: $log)"; exit 1; }
}

# Makes the chroot when missing; quiet when it is there. One maker at a time.
lane_setup() {
  mkdir -p "$cache"
  exec 8>"$cache/lock"
  flock 8
  if [ -f "$root/.orvanel-lane32-$lane_version" ]; then
    exec 8>&-
    return
  fi
  local t0=$SECONDS log=$cache/setup.log
  echo "lane32: making the trixie chroot in $root (a few minutes, once)"
  : >"$log"
  if ! dpkg-query -W -f='${Status}' debootstrap 2>/dev/null | grep -q "install ok installed"; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap \
      >>"$log" 2>&1 || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends debootstrap >>"$log" 2>&1; }
  fi
  if [ ! -f "$root/.orvanel-debootstrap" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase trixie "$root" "$mirror" >>"$log" 2>&1 ||
      { tail -30 "$log"; echo "lane32: debootstrap FAILED (log: $log)"; exit 1; }
    touch "$root/.orvanel-debootstrap"
  fi
  OV_LANE32_STAGE=complete unshare --mount --pid --fork --kill-child bash "$here/lane32.sh"
  rm -f "$root"/.orvanel-lane32-*
  touch "$root/.orvanel-lane32-$lane_version"
  echo "lane32: chroot ready in $((SECONDS - t0)) s, $(du -sh "$root" | cut -f1)"
  exec 8>&-
}

# Stage run in the namespaces: mounts the tree and runs the lane inside the chroot.
lane_enter() {
  local dirs=("$OV_ROOT")
  case "$OV_BUILD_DIR/" in "$OV_ROOT"/*) ;; *) dirs+=("$OV_BUILD_DIR") ;; esac
  # A git worktree keeps its repository elsewhere; the tests do not need it.
  lane_mount "${dirs[@]}"
  trap lane_umount EXIT
  lane_chroot OV_BUILD_DIR="$OV_BUILD_DIR" OV_LANE32_STAGE=chroot CI="${CI:-}" \
    GTEST_FILTER="-$gtest_skip" bash "$OV_ROOT/scripts/lane32.sh" "$@"
}

# Stage run in the chroot: the prefix, the display, the wineserver, ctest.
lane_test() {
  export OV_ARCH=i686 OV_LANE32=1
  source "$here/wine-env.sh"
  bash "$here/setup-prefix.sh"
  source "$here/session.sh"
  ov_session_start
  rm -f "$OV_BUILD_DIR/bin/orvanel.log"
  local jobs=$(( $(nproc) / 2 )); [ "$jobs" -ge 1 ] || jobs=1
  ctest --test-dir "$OV_BUILD_DIR" -L lane32 --output-on-failure -j"$jobs" "$@"
}

case "${OV_LANE32_STAGE:-}" in
  setup) lane_setup; exit 0 ;;
  complete) lane_complete_chroot; exit 0 ;;
  enter) lane_enter "$@"; exit $? ;;
  chroot) lane_test "$@"; exit $? ;;
esac

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  # This host runs 32-bit programs: the same label, directly.
  OV_ARCH=i686 exec bash "$here/test.sh" -L lane32 "$@"
fi
bash "$here/install-deps.sh"
export OV_ARCH=i686
source "$here/wine-env.sh"
OV_ARCH=i686 bash "$here/build.sh"
lane_setup
OV_LANE32_STAGE=enter exec unshare --mount --pid --fork --kill-child bash "$here/lane32.sh" "$@"
