#!/usr/bin/env bash
# The one test command: installs what is missing, builds with all cores and runs every
# test under Wine, with a private Xvfb display. Extra arguments go to ctest.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$here/install-deps.sh"
source "$here/wine-env.sh"
if [ "$OV_ARCH" != i686 ]; then
  # This host cannot run 32-bit programs: the tests run on an $OV_ARCH build of the
  # same sources, and the 32-bit product is still built so that it cannot rot.
  echo "test: this host runs no 32-bit programs; testing an $OV_ARCH build"
  OV_ARCH=i686 OV_BUILD_DIR= bash "$here/build.sh"
fi
bash "$here/build.sh"
bash "$here/setup-prefix.sh"
source "$here/session.sh"
ov_session_start
rm -f "$OV_BUILD_DIR/bin/orvanel.log"
ctest --test-dir "$OV_BUILD_DIR" --output-on-failure -j"$(nproc)" "$@"
