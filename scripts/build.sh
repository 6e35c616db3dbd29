#!/usr/bin/env bash
# Configures and builds everything into $OV_BUILD_DIR with all cores.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
cmake -S "$OV_ROOT" -B "$OV_BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$OV_ROOT/cmake/mingw32-toolchain.cmake" -DOV_ARCH="$OV_ARCH" >/dev/null
cmake --build "$OV_BUILD_DIR" -j"$(nproc)" -- --no-print-directory "$@"
