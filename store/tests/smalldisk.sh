#!/usr/bin/env bash
# A small file system (a tmpfs of 192 KB) mapped as the Wine drive Q: of the build's
# prefix, for the disk-full tests: smalldisk.sh setup|cleanup BUILD_DIR.
set -u
mode=$1
build=$2
prefix=${WINEPREFIX:-$build/wineprefix}
mnt=$build/smalldisk
link=$prefix/dosdevices/q:
case $mode in
  setup)
    mkdir -p "$mnt" "$prefix/dosdevices"
    if ! mountpoint -q "$mnt" && ! mount -t tmpfs -o size=192k,mode=0777 ovsmalldisk "$mnt"; then
      echo "smalldisk: cannot mount a tmpfs (this needs root)"
      exit 1
    fi
    rm -rf "${mnt:?}"/*
    ln -sfn "$mnt" "$link"
    echo "smalldisk: $(df -k "$mnt" | tail -1) as Q:"
    ;;
  cleanup)
    rm -f "$link"
    if mountpoint -q "$mnt"; then umount "$mnt"; fi
    rmdir "$mnt" 2>/dev/null
    exit 0
    ;;
  *)
    echo "usage: smalldisk.sh setup|cleanup BUILD_DIR" >&2
    exit 2
    ;;
esac
