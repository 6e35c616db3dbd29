#!/usr/bin/env bash
# Configures and builds everything into $OV_BUILD_DIR with all cores. The compiler's
# output goes to $OV_BUILD_DIR/build.log; warnings and errors are shown, and the log's
# end when the build fails.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
mkdir -p "$OV_BUILD_DIR"
# ccache keys on paths relative to the tree's parent, so sibling work trees share hits.
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$OV_ROOT")}
export CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-20G}
log=$OV_BUILD_DIR/build.log
echo "build: $OV_ARCH into $OV_BUILD_DIR"
if ! { cmake -S "$OV_ROOT" -B "$OV_BUILD_DIR" \
         -DCMAKE_TOOLCHAIN_FILE="$OV_ROOT/cmake/mingw32-toolchain.cmake" -DOV_ARCH="$OV_ARCH" &&
       cmake --build "$OV_BUILD_DIR" -j"$(nproc)" -- --no-print-directory "$@"; } >"$log" 2>&1; then
  tail -60 "$log"
  echo "build: FAILED (full output in $log)"
  exit 1
fi
grep -E "warning:|error:" "$log" | sort -u | head -40 || true
